// See aeffect.h beside this file: the FST headers stand in for the VST 2.4 SDK.
#pragma once
// FST marks the names it has not confirmed as deprecated; JUCE's wrapper uses them.
#ifndef FST_DONT_DEPRECATE_UNKNOWN
 #define FST_DONT_DEPRECATE_UNKNOWN 1
#endif
// FST also leaves #warning notes about its own open questions in its header.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcpp"
#include <pluginterfaces/fst/aeffectx.h>
#pragma GCC diagnostic pop
