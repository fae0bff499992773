#pragma once

#include <juce_core/juce_core.h>

namespace velmoLib
{

/** A normalised value as stored in the host state and in preset files: the
    float widened to double with 20 significant digits in general notation,
    independent of the host's locale, so reading it back gives the same float. */
juce::String formatStoredValue (float value);

/** A stored decimal number read as JUCE reads one (leading blanks, sign, digits,
    point, exponent; no number reads as 0), except that an absurdly long exponent,
    which JUCE's reader would overflow on, is taken at a size with the same result:
    zero or infinity. */
double readStoredDecimal (const juce::String& text);

/** A stored integer read as JUCE reads one (leading blanks, an optional minus, the
    leading digits; none read as 0), wrapping on overflow as JUCE's reader does but
    without its undefined negation of the smallest int. */
int readStoredInteger (const juce::String& text) noexcept;

} // namespace velmoLib
