#include "Vst2Host.h"

// The VST 2.4 C interface as the FST headers declare it. They declare a
// flexible array member and mark undocumented names deprecated; neither is ours
// to fix. Their #warning notes are silenced for this file in CMakeLists.txt,
// since GCC 12 ignores diagnostic pragmas for preprocessor warnings in C++.
#if defined (__clang__)
 #pragma clang diagnostic push
 #pragma clang diagnostic ignored "-W#warnings"
 #pragma clang diagnostic ignored "-Wpedantic"
#elif defined (__GNUC__)
 #pragma GCC diagnostic push
 #pragma GCC diagnostic ignored "-Wpedantic"
#endif

#include <pluginterfaces/fst/aeffectx.h>

#if defined (__clang__)
 #pragma clang diagnostic pop
#elif defined (__GNUC__)
 #pragma GCC diagnostic pop
#endif

#include <dlfcn.h>

#include <cstring>
#include <new>

static_assert (sizeof (VstIntPtr) == sizeof (Vst2Host::IntPtr), "the interface's pointer-sized integer");
static_assert (Vst2Host::effectCategory == kPlugCategEffect, "the effect category");

namespace
{
    using EntryPoint = AEffect* (*) (audioMasterCallback);

    // Far longer than any text an effect may write: the interface's nominal
    // limits (8 characters for a parameter name) are widely exceeded.
    constexpr size_t textBufferSize = 512;

    /** The host's audioMaster callback: the VST version, nothing else. */
    VstIntPtr hostCallback (AEffect*, int opcode, int, VstIntPtr, void*, float)
    {
        return opcode == audioMasterVersion ? 2400 : 0;
    }

    constexpr size_t roundUp (size_t bytes, size_t alignment)
    {
        return (bytes + alignment - 1) / alignment * alignment;
    }
}

Vst2Host::Vst2Host (const std::string& binaryPath)
{
    library = dlopen (binaryPath.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (library == nullptr)
    {
        const char* message = dlerror();
        error = "dlopen failed: " + std::string (message != nullptr ? message : "unknown error");
        return;
    }

    void* symbol = dlsym (library, "VSTPluginMain");

    if (symbol == nullptr)
    {
        error = "no VSTPluginMain in " + binaryPath;
        return;
    }

    EntryPoint entryPoint = nullptr;
    static_assert (sizeof (entryPoint) == sizeof (symbol), "function and object pointers differ in size");
    std::memcpy (&entryPoint, &symbol, sizeof (entryPoint));

    AEffect* created = entryPoint (&hostCallback);

    if (created == nullptr)
    {
        error = "VSTPluginMain returned no effect";
        return;
    }

    if (created->magic != kEffectMagic)
    {
        error = "the effect's magic number is wrong";
        return;
    }

    effect = created;
    dispatch (effOpen);
}

Vst2Host::~Vst2Host()
{
    if (effect != nullptr)
    {
        suspend();
        dispatch (effClose);
        effect = nullptr;
    }

    if (library != nullptr)
        dlclose (library);
}

Vst2Host::EffectInfo Vst2Host::getEffectInfo() const
{
    EffectInfo info;
    info.magic = effect->magic;
    info.numPrograms = effect->numPrograms;
    info.numParams = effect->numParams;
    info.numInputs = effect->numInputs;
    info.numOutputs = effect->numOutputs;
    info.uniqueID = effect->uniqueID;
    info.version = effect->version;
    info.canReplacing = (effect->flags & effFlagsCanReplacing) != 0;
    info.programChunks = (effect->flags & effFlagsProgramChunks) != 0;
    info.isSynth = (effect->flags & effFlagsIsSynth) != 0;
    return info;
}

Vst2Host::IntPtr Vst2Host::dispatch (int opcode, int index, IntPtr value, void* ptr, float opt) const
{
    return effect->dispatcher (effect, opcode, index, value, ptr, opt);
}

void Vst2Host::resume (double sampleRate, int maximumBlockSize)
{
    suspend();
    dispatch (effSetSampleRate, 0, 0, nullptr, (float) sampleRate);
    dispatch (effSetBlockSize, 0, maximumBlockSize);
    dispatch (effMainsChanged, 0, 1);
    running = true;
}

void Vst2Host::suspend()
{
    if (running)
    {
        dispatch (effMainsChanged, 0, 0);
        running = false;
    }
}

std::string Vst2Host::getString (int opcode, int index) const
{
    char text[textBufferSize] = {};
    dispatch (opcode, index, 0, text);
    text[textBufferSize - 1] = 0;
    return text;
}

std::string Vst2Host::getEffectName() const                 { return getString (effGetEffectName, 0); }
std::string Vst2Host::getParameterName (int index) const    { return getString (effGetParamName, index); }
std::string Vst2Host::getParameterDisplay (int index) const { return getString (effGetParamDisplay, index); }
Vst2Host::IntPtr Vst2Host::getVendorVersion() const         { return dispatch (effGetVendorVersion); }
Vst2Host::IntPtr Vst2Host::getPlugCategory() const          { return dispatch (effGetPlugCategory); }

Vst2Host::IntPtr Vst2Host::canDo (const char* feature) const
{
    return dispatch (effCanDo, 0, 0, const_cast<char*> (feature));
}

float Vst2Host::getParameter (int index) const        { return effect->getParameter (effect, index); }
void Vst2Host::setParameter (int index, float value)  { effect->setParameter (effect, index, value); }

std::vector<char> Vst2Host::getChunk() const
{
    void* data = nullptr;
    const auto size = dispatch (effGetChunk, 0, 0, &data);

    if (data == nullptr || size <= 0)
        return {};

    const auto* bytes = static_cast<const char*> (data);
    return { bytes, bytes + size };
}

void Vst2Host::setChunk (const std::vector<char>& chunk)
{
    std::vector<char> copy (chunk);
    dispatch (effSetChunk, 0, (IntPtr) copy.size(), copy.data());
}

Vst2Host::IntPtr Vst2Host::sendMidi (const std::vector<MidiMessage>& messages)
{
    // One block: the VstEvents header with its flexible array of event
    // pointers, then the events themselves.
    const size_t count = messages.size();
    const size_t listBytes = roundUp (sizeof (VstEvents) + count * sizeof (VstEvent*), alignof (VstMidiEvent));
    const size_t totalBytes = listBytes + count * sizeof (VstMidiEvent);
    eventStorage.assign (roundUp (totalBytes, sizeof (std::max_align_t)) / sizeof (std::max_align_t), std::max_align_t {});

    auto* base = reinterpret_cast<unsigned char*> (eventStorage.data());
    auto* list = new (base) VstEvents {};
    list->numEvents = (int) count;

    for (size_t i = 0; i < count; ++i)
    {
        auto* event = new (base + listBytes + i * sizeof (VstMidiEvent)) VstMidiEvent {};
        event->type = kVstMidiType;
        event->byteSize = (int) sizeof (VstMidiEvent);
        event->deltaFrames = messages[i].sampleOffset;
        event->midiData[0] = messages[i].status;
        event->midiData[1] = messages[i].data1;
        event->midiData[2] = messages[i].data2;
        list->events[i] = reinterpret_cast<VstEvent*> (event);
    }

    return dispatch (effProcessEvents, 0, 0, list);
}

void Vst2Host::processReplacing (float** inputs, float** outputs, int numSamples)
{
    effect->processReplacing (effect, inputs, outputs, numSamples);
}
