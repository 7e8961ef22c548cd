#pragma once
// The limits of the card layout: what the Business Card Layout dialog lets
// the user enter, and what every layout read from a file (QRD.INI, a design's
// companion file) is held to, so that the print job, the position selection,
// the card picture and the sheets can rely on them.
namespace bv::layoutlimits {

constexpr int MinAcross = 1;
constexpr int MaxAcross = 10;
constexpr int MinDown = 1;
constexpr int MaxDown = 30;
// Lengths, in thousandths of an inch as files store them. The card must be at
// least 0.3 inch high and 0.5 inch wide (the dialog's own checks); no length
// goes beyond 99 inches (the largest value its edits take) or below 0.
constexpr int MinCardHeight = 300;
constexpr int MinCardWidth = 500;
constexpr int MaxLength = 99000;

} // namespace bv::layoutlimits
