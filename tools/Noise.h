#pragma once
#include <cstdint>

// Deterministic noise for the generated pictures: no clock, no global state.

// A hash of a lattice point to 0..1.
float latticeValue(int x, int y, uint32_t seed);

// Smooth value noise on a lattice of `cells` x `cells` cells that repeats every
// `cells` cells, so a picture sampled over one period tiles without seams.
// u and v run over 0..1 for one period; the result lies in 0..1.
float tiledNoise(float u, float v, int cells, uint32_t seed);

// Sum of octaves of tiledNoise, starting at `cells` and doubling; 0..1.
float tiledFractal(float u, float v, int cells, int octaves, uint32_t seed);

// Small per-pixel jitter in -amount..amount.
int pixelJitter(int x, int y, uint32_t seed, int amount);
