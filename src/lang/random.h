// The "rand" token's generator: multiplier 16807, modulus 2^31-1, computed in 32 bits.
#pragma once

#include <cstdint>

// The state after s: the product 16807 * s folded back below 2^31 without overflow.
uint32_t NextRandomState(uint32_t s);

// Advances the program's generator (state 1 at start) and returns the new state.
uint32_t NextRandom();

// Sets the generator's state; 0 keeps giving 0.
void SeedRandom(uint32_t seed);
