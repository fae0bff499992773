#pragma once

#include <juce_core/juce_core.h>

namespace velmoLib
{

/** A normalised value as stored in the host state and in preset files: the
    float widened to double with 20 significant digits in general notation,
    independent of the host's locale, so reading it back gives the same float. */
juce::String formatStoredValue (float value);

} // namespace velmoLib
