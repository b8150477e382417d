#include "water/DropRandom.h"

uint32_t DropRandom::state = 1;

void DropRandom::Seed(uint32_t value)
{
    state = value;
}

int32_t DropRandom::Next()
{
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}
