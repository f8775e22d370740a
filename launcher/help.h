#pragma once
// Help for a word that names no command: the read-me beside the program, or, when there is
// none, a message box listing the command words in both forms of use.

namespace Velmoran {

void ShowHelp();
void ShowUsage();

}  // namespace Velmoran
