#pragma once
// Integer arithmetic on values that come from files (geometry, font heights,
// pen widths, effect depths, record coordinates). A design or a recording may
// hold any 32-bit value; sums and products of such values must neither wrap
// nor be undefined. Everything here works in 64 bits and either saturates to
// the 32-bit range or reports that the result does not fit.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace bv::checked {

constexpr std::int64_t IntMin = std::numeric_limits<int>::min();
constexpr std::int64_t IntMax = std::numeric_limits<int>::max();

// The value clamped into [lo, hi].
constexpr std::int64_t Clamp64(std::int64_t v, std::int64_t lo, std::int64_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// A 64-bit value saturated to int.
constexpr int Saturate(std::int64_t v)
{
    return static_cast<int>(Clamp64(v, IntMin, IntMax));
}

// A real value saturated to int (NaN gives 0), truncated toward zero.
inline int SaturateReal(long double v)
{
    if (std::isnan(v))
        return 0;
    if (v <= static_cast<long double>(IntMin))
        return static_cast<int>(IntMin);
    if (v >= static_cast<long double>(IntMax))
        return static_cast<int>(IntMax);
    return static_cast<int>(v);
}

// Saturating int arithmetic: the exact result clamped to the int range.
constexpr int Add(int a, int b) { return Saturate(std::int64_t(a) + b); }
constexpr int Sub(int a, int b) { return Saturate(std::int64_t(a) - b); }
constexpr int Mul(int a, int b) { return Saturate(std::int64_t(a) * b); }
constexpr int Neg(int a) { return Saturate(-std::int64_t(a)); }
constexpr int Abs(int a) { return Saturate(a < 0 ? -std::int64_t(a) : std::int64_t(a)); }
// a clamped into [lo, hi].
constexpr int Clamp(std::int64_t a, int lo, int hi) { return static_cast<int>(Clamp64(a, lo, hi)); }

// Exact int arithmetic: no value when the result does not fit.
constexpr std::optional<int> TryAdd(int a, int b)
{
    const std::int64_t r = std::int64_t(a) + b;
    if (r < IntMin || r > IntMax)
        return std::nullopt;
    return static_cast<int>(r);
}
constexpr std::optional<int> TryMul(int a, int b)
{
    const std::int64_t r = std::int64_t(a) * b;
    if (r < IntMin || r > IntMax)
        return std::nullopt;
    return static_cast<int>(r);
}

// Coordinates that painting and rectangle arithmetic can take without
// overflow anywhere downstream (QRect keeps x + width - 1, transforms add
// offsets and scale). Far beyond any card, sheet or device.
constexpr int MaxCoordinate = 1 << 24;
// A value clamped into [-MaxCoordinate, MaxCoordinate].
constexpr int Coordinate(std::int64_t v) { return Clamp(v, -MaxCoordinate, MaxCoordinate); }
constexpr bool IsCoordinate(std::int64_t v) { return v >= -MaxCoordinate && v <= MaxCoordinate; }
// A length (width, height, pen width, depth) clamped into [0, MaxCoordinate].
constexpr int Length(std::int64_t v) { return Clamp(v, 0, MaxCoordinate); }

} // namespace bv::checked
