#pragma once

/** Installs the process-wide handler that writes the crash log on a fatal
    signal and then ends the process. Everything the report needs that takes
    allocation or a lock (paths, texts, the time zone) is prepared here. */
void installCrashHandler();

/** Appends one report (stack, product, host, system) to the crash log, from
    what the last installation prepared. Async-signal-safe: it neither
    allocates nor locks, so it can run whatever state the crash left behind. */
void writeCrashLog();
