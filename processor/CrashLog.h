#pragma once

/** Installs the process-wide handler that writes the crash log on a fatal
    signal and then ends the process. */
void installCrashHandler();

/** Appends one report (stack, product, host, system) to the crash log. */
void writeCrashLog();
