#pragma once

/** One-pole low-pass that keeps a parameter from jumping at block boundaries.
    The coefficient is always derived from its 44.1 kHz value, so the smoothing
    time in seconds is the same at every sample rate. */
class ParameterSmoother
{
public:
    static constexpr float coefficientAt44k1 = 0.9999f;

    /** Ignores a rate that is not finite and above zero. */
    void setSampleRate (double sampleRate) noexcept;

    float process (float target) noexcept
    {
        state = state * coefficient + target * complement;
        return state;
    }

    float coefficient = coefficientAt44k1;
    float complement = 1.0f - coefficientAt44k1;
    float state = 0.0f;
};
