// The process's console on a terminal: coloured text, clearing the screen,
// the window title and single key presses. Colours, clearing and titles are
// ANSI/xterm sequences, written only when the stream is a terminal; text
// written to a file or pipe stays plain.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vxConsole {

bool IsTerminal(int Fd);

// The ANSI sequence of a console text attribute: 3 cyan, 4 dark red, 7
// grey, 8 dark grey, 10 bright green, 12 bright red, 14 yellow, 15 bright
// white; empty for any other attribute.
std::string ColourSequence(uint16_t Attribute);

// Writes Text (UTF-8) to Fd, preceded by the attribute's colour when Fd is
// a terminal; the colour is not reset afterwards. False when the text could
// not be written whole.
bool WriteText(int Fd, std::string_view Text, uint16_t Attribute);
bool WriteText(int Fd, std::string_view Text);

// Clears the screen and puts the cursor in the top left corner; False when
// Fd is no terminal.
bool ClearScreen(int Fd);
// Sets the terminal window's title; False when Fd is no terminal.
bool SetTitle(int Fd, std::string_view Title);

// True when a key press waits on Fd (a terminal): one byte is read, with
// the terminal briefly in non-canonical mode so that a key counts without
// Enter. False without reading when nothing waits or Fd is no terminal.
bool KeyPressed(int Fd);
// Waits up to TimeoutMs for input on Fd; False on time-out or when Fd is
// no terminal.
bool WaitForInput(int Fd, int TimeoutMs);

}  // namespace vxConsole
