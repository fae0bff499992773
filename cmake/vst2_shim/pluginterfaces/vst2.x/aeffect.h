// JUCE's VST 2.4 wrapper includes the Steinberg header names; on Linux we
// build against the freely licensed FST headers that declare the same interface.
#pragma once
// FST marks the names it has not confirmed as deprecated; JUCE's wrapper uses them.
#ifndef FST_DONT_DEPRECATE_UNKNOWN
 #define FST_DONT_DEPRECATE_UNKNOWN 1
#endif
// FST also leaves #warning notes about its own open questions in its header.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcpp"
#include <pluginterfaces/fst/aeffect.h>
#pragma GCC diagnostic pop
