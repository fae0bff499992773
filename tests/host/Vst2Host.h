#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AEffect;

/** A minimal VST 2.4 host for one effect instance: loads the binary with
    dlopen, creates the effect through VSTPluginMain and drives it through its
    dispatcher the way hosts do, without any framework in between.

    Only Vst2Host.cpp sees the C interface (the FST headers); callers get plain
    types. Every call happens on the thread that created the object, which the
    plug-in takes as its message thread.
*/
class Vst2Host
{
public:
    using IntPtr = std::intptr_t;

    /** The fields of the AEffect struct that a host reads after creation. */
    struct EffectInfo
    {
        std::int32_t magic = 0, numPrograms = 0, numParams = 0, numInputs = 0, numOutputs = 0;
        std::int32_t uniqueID = 0, version = 0;
        bool canReplacing = false, programChunks = false, isSynth = false;
    };

    /** One short MIDI message for effProcessEvents. */
    struct MidiMessage
    {
        int sampleOffset = 0;
        std::uint8_t status = 0, data1 = 0, data2 = 0;
    };

    /** Loads the binary at path, calls VSTPluginMain and opens the effect.
        Check isLoaded() and getError() afterwards.
    */
    explicit Vst2Host (const std::string& binaryPath);

    /** Suspends the effect if it is running, closes it and unloads the binary. */
    ~Vst2Host();

    Vst2Host (const Vst2Host&) = delete;
    Vst2Host& operator= (const Vst2Host&) = delete;

    bool isLoaded() const noexcept                  { return effect != nullptr; }
    const std::string& getError() const noexcept    { return error; }

    EffectInfo getEffectInfo() const;

    /** effSetSampleRate, effSetBlockSize, then effMainsChanged (1). */
    void resume (double sampleRate, int maximumBlockSize);

    /** effMainsChanged (0), when running. */
    void suspend();

    std::string getEffectName() const;
    std::string getParameterName (int index) const;
    std::string getParameterDisplay (int index) const;
    IntPtr getVendorVersion() const;
    IntPtr getPlugCategory() const;
    IntPtr canDo (const char* feature) const;

    /** The category value of a plain effect (kPlugCategEffect). */
    static constexpr IntPtr effectCategory = 1;

    float getParameter (int index) const;
    void setParameter (int index, float value);

    /** effGetChunk with index 0: the whole state, copied out of the effect's memory. */
    std::vector<char> getChunk() const;

    /** effSetChunk with index 0. */
    void setChunk (const std::vector<char>& chunk);

    /** Sends the messages through effProcessEvents before the next
        processReplacing call; returns the effect's answer.
    */
    IntPtr sendMidi (const std::vector<MidiMessage>& messages);

    void processReplacing (float** inputs, float** outputs, int numSamples);

private:
    IntPtr dispatch (int opcode, int index = 0, IntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) const;
    std::string getString (int opcode, int index) const;

    void* library = nullptr;
    AEffect* effect = nullptr;
    bool running = false;
    std::string error;

    // The event list and the events that the last sendMidi handed over; the
    // effect may read them until the next processReplacing call has returned.
    std::vector<std::max_align_t> eventStorage;
};
