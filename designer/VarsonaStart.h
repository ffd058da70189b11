// The program's start-up sequence, apart from main() so that tests run it.
#pragma once

// Steps before the message loop: module start-up, splash window shown and
// painted, application initialised with its title, the windows created in
// their order (Form1 first), splash window hidden and destroyed. The settings
// folder is created first when it is missing.
void StartVarsona();
// The message loop, until the main window closes or the program terminates.
void RunMessageLoop();
// Module shut-down steps and the windows freed.
void StopVarsona();
// All three; the program's exit code.
int RunVarsona();
