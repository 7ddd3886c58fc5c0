#pragma once
// The quad table's hidden-face removal and greedy merge exactly as first
// written: every pair of a bucket compared, pass after pass. The oracle that
// the indexed table is compared with.
#include <cstdint>
#include <vector>

#include "world/QuadRecord.h"

namespace literal {

using QuadBuckets = std::vector<std::vector<QuadRecord>>;

bool coincide(const QuadRecord& a, const QuadRecord& b);
bool canMerge(const QuadRecord& a, const QuadRecord& b);
void removeHiddenPairs(QuadBuckets& buckets);
// Returns the number of merge passes made over each bucket (one number
// drawn from the pseudo-random generator per pass in the table).
std::vector<int32_t> mergeQuads(QuadBuckets& buckets);

}  // namespace literal
