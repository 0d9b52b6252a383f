// SPDX-License-Identifier: MIT
// The benchmark's cases, a file each by subject; `mirt_bench CASE...` runs the ones named.
#pragma once

class QString;

void keystrokeToModel();              // Keystrokes.cpp
void paintedKeystrokes();             // Keystrokes.cpp
void meetingReturn();                 // ModelEdits.cpp
void wholeNoteEdits();                // ModelEdits.cpp
void autosave();                      // Autosave.cpp
void longLine();                      // LongLines.cpp
void largeLoad();                     // LargeNote.cpp
void hugeLoad();                      // LargeNote.cpp
void otherWriters();                  // OtherWriters.cpp
void findAndSpelling();               // FindAndSpelling.cpp
void startup();                       // ChildProcesses.cpp
void memory();                        // ChildProcesses.cpp
void peer(const QString &mirtBinary); // ChildProcesses.cpp

/// The children that startup() and memory() start: this program with their options.
int startupChild(int argc, char **argv);
int memoryChild(int argc, char **argv);
