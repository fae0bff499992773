#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <utility>

namespace velmoLib
{

/** A value (a string, a list of strings) shared between the render thread, the
    message thread and the host's threads, always read and replaced whole.
    juce::String and juce::StringArray are not safe to read while another thread
    assigns them, so the value sits in an immutable shared copy: every access takes
    a spin lock only for a pointer copy or swap (never for copying the value itself,
    which may allocate), and a replaced value is destroyed after the lock is
    released, so no reader ever waits on an allocation or a deallocation.
*/
template <typename ValueType>
class SharedValue
{
public:
    SharedValue() : value (std::make_shared<const ValueType>()) {}

    explicit SharedValue (ValueType initial) : value (std::make_shared<const ValueType> (std::move (initial))) {}

    /** A copy of the current value, made outside the lock. */
    ValueType get() const
    {
        return *current();
    }

    void set (ValueType newValue)
    {
        auto replacement = std::make_shared<const ValueType> (std::move (newValue));

        {
            const juce::SpinLock::ScopedLockType lock (spinLock);
            std::swap (value, replacement);
        }

        // replacement now holds the old value and is released here, outside the lock.
    }

    /** Runs reader on the current value under the lock: for short reads (a size,
        one element) that must neither copy the value nor release it, as the render
        thread needs. */
    template <typename Reader>
    auto read (Reader&& reader) const
    {
        const juce::SpinLock::ScopedLockType lock (spinLock);
        return reader (*value);
    }

private:
    std::shared_ptr<const ValueType> current() const
    {
        const juce::SpinLock::ScopedLockType lock (spinLock);
        return value;
    }

    mutable juce::SpinLock spinLock;
    std::shared_ptr<const ValueType> value;

    JUCE_DECLARE_NON_COPYABLE (SharedValue)
};

} // namespace velmoLib
