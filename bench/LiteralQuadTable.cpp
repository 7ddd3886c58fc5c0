#include "LiteralQuadTable.h"

#include <GL/gl.h>

#include "platform/GLContext.h"
#include "world/LiteralQuadMerge.h"

namespace {

literal::QuadBuckets mergedBuckets(const OptimizedQuadHashTable& table) {
    literal::QuadBuckets buckets(static_cast<size_t>(table.bucketCount()));
    for (int32_t b = 0; b < table.bucketCount(); ++b)
        for (int32_t i = 0; i < table.bucketSize(b); ++i)
            buckets[static_cast<size_t>(b)].push_back(table.record(b, i));
    literal::removeHiddenPairs(buckets);
    literal::mergeQuads(buckets);
    return buckets;
}

}  // namespace

void LiteralQuadTable::mergeOnly() {
    mergedBuckets(*this);
}

void LiteralQuadTable::compile(GLContext& gl) {
    for (const std::vector<QuadRecord>& bucket : mergedBuckets(*this)) {
        if (bucket.empty())
            continue;
        gl.setTexturing(true);
        gl.bindTexture(bucket[0].texture);
        glBegin(GL_QUADS);
        for (const QuadRecord& quad : bucket) {
            if (!quad.alive)
                continue;
            for (int32_t v = 0; v < 4; ++v) {
                const Vector2 st = texCoord(quad, v);
                glTexCoord2f(st.x, st.y);
                glVertex3f(quad.q[v].x, quad.q[v].y, quad.q[v].z);
            }
        }
        glEnd();
        gl.setTexturing(false);
    }
}
