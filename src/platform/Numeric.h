#pragma once
// Numeric rules shared by the whole program. Stored geometry, zoom steps and
// printer arithmetic must round exactly as existing designs expect, so nothing
// else in the tree rounds on its own (no qRound, no lround).
#include <cmath>
#include <cstdint>

namespace bv {

// 32-bit float where values are held in single precision (zoom factor, layout
// lengths), 80-bit where sums are formed at extended precision.
using Single = float;
using Extended = long double;

// Round half to even ("banker's rounding"), for any real value.
inline std::int64_t Round(Extended x)
{
    Extended fl = std::floor(x);
    Extended diff = x - fl;
    auto r = static_cast<std::int64_t>(fl);
    if (diff > 0.5L)
        return r + 1;
    if (diff < 0.5L)
        return r;
    return (r % 2 == 0) ? r : r + 1;
}

// Truncate toward zero.
inline std::int64_t Trunc(Extended x)
{
    return static_cast<std::int64_t>(x);
}

// a * b / c with a 64-bit intermediate, rounded half away from zero; -1 when
// c is 0, as the system call it stands for answers.
inline int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    std::int64_t num = static_cast<std::int64_t>(a) * b;
    bool negative = (num < 0) != (c < 0);
    std::int64_t an = num < 0 ? -num : num;
    std::int64_t ac = c < 0 ? -static_cast<std::int64_t>(c) : c;
    std::int64_t q = (2 * an + ac) / (2 * ac);
    return static_cast<int>(negative ? -q : q);
}

// Store a value in single precision, as a float variable would.
inline Single ToSingle(Extended x)
{
    return static_cast<Single>(x);
}

} // namespace bv
