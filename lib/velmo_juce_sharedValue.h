#pragma once

#include <juce_core/juce_core.h>

#include <utility>

namespace velmoLib
{

/** A value (a string, a list of strings) shared between the render thread, the
    message thread and the host's threads, always read and replaced whole.

    juce::String and juce::StringArray are not safe to read while another thread
    assigns them, so every access goes through a spin lock held only for a
    reference-count copy or a swap. The replaced value is destroyed after the lock
    is released, so no reader ever waits on a deallocation.
*/
template <typename ValueType>
class SharedValue
{
public:
    SharedValue() = default;
    explicit SharedValue (ValueType initial) : value (std::move (initial)) {}

    ValueType get() const
    {
        const juce::SpinLock::ScopedLockType lock (spinLock);
        return value;
    }

    void set (ValueType newValue)
    {
        {
            const juce::SpinLock::ScopedLockType lock (spinLock);
            std::swap (value, newValue);
        }
        // newValue now holds the old value and is released here, outside the lock.
    }

    /** Runs reader on the current value under the lock: for short reads (a size,
        one element) that must not copy a whole list. */
    template <typename Reader>
    auto read (Reader&& reader) const
    {
        const juce::SpinLock::ScopedLockType lock (spinLock);
        return reader (static_cast<const ValueType&> (value));
    }

private:
    mutable juce::SpinLock spinLock;
    ValueType value {};

    JUCE_DECLARE_NON_COPYABLE (SharedValue)
};

} // namespace velmoLib
