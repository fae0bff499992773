#pragma once

/** Installs the process-wide handler that writes the crash log on a fatal
    signal and then ends the process. Everything the report needs that takes
    allocation or a lock (paths, texts, the time zone) is prepared here. */
void installCrashHandler();

/** Appends one report (stack, product, host, system) to the crash log, from
    what the last installation prepared. It never allocates; the one lock it
    may meet is the dynamic loader's, taken to name the stack's functions, and
    the handler's watchdog ends the process should that lock never come free. */
void writeCrashLog();
