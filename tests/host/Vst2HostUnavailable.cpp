// Vst2Host where the FST headers are missing: nothing loads, and the error says
// why. The VST 2.4 tests are then left out; this only lets the VST3 and LV2
// host tests build without the headers.
#include "Vst2Host.h"

Vst2Host::Vst2Host (const std::string&) : error ("built without the VST 2.4 interface headers (fst-dev)") {}
Vst2Host::~Vst2Host() = default;

Vst2Host::EffectInfo Vst2Host::getEffectInfo() const                 { return {}; }
void Vst2Host::resume (double, int)                                  {}
void Vst2Host::suspend()                                             {}
std::string Vst2Host::getEffectName() const                          { return {}; }
std::string Vst2Host::getParameterName (int) const                   { return {}; }
std::string Vst2Host::getParameterDisplay (int) const                { return {}; }
Vst2Host::IntPtr Vst2Host::getVendorVersion() const                  { return 0; }
Vst2Host::IntPtr Vst2Host::getPlugCategory() const                   { return 0; }
Vst2Host::IntPtr Vst2Host::canDo (const char*) const                 { return 0; }
float Vst2Host::getParameter (int) const                             { return 0.0f; }
void Vst2Host::setParameter (int, float)                             {}
std::vector<char> Vst2Host::getChunk() const                         { return {}; }
void Vst2Host::setChunk (const std::vector<char>&)                   {}
Vst2Host::IntPtr Vst2Host::sendMidi (const std::vector<MidiMessage>&) { return 0; }
void Vst2Host::processReplacing (float**, float**, int)              {}
