// PLACEHOLDER until timing lands.
#pragma once
#include <cstdint>
void DelayMicroseconds(uint32_t us);
void SleepMilliseconds(uint32_t ms);
uint32_t MillisecondClock();
