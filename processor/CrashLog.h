#pragma once

#include <juce_core/juce_core.h>

/** Installs the process-wide handler that writes the crash log on a fatal
    signal, hands the signal on to the host's own handler and then ends the
    process. Everything the report needs that takes allocation or a lock (paths,
    texts, the time zone, the watchdog's timer) is prepared here; the report
    names the product as "Corvanteel " followed by productVersion. Every
    instance calls it; the first keeps the handlers that were in place and puts
    this one in their stead. Thread-safe. */
void installCrashHandler (const juce::String& productVersion);

/** The counterpart of installCrashHandler, once per instance. When the last
    instance goes, every signal whose handler is still this one gets back the
    handler it had before, so that none points into the library once the host
    unloads it. Thread-safe. */
void uninstallCrashHandler();

/** Appends one report (stack, product, host, system) to the crash log, from
    what the last installation prepared. It never allocates; the one lock it
    may meet is the dynamic loader's, taken to name the stack's functions, and
    the handler's watchdog ends the process should that lock never come free. */
void writeCrashLog();
