// Help by topic.  In a "WIN" session the suite's HTML help launcher is
// started and waited for; in any other session a full-screen viewer pages
// through the text help file AJUDA\<topic>.HLP (relative to the current
// directory, the suite's root): fixed records of one screen line each, with
// the colour markup characters 30 (highlight), 31 (underline) and 16
// (reverse).  F1 in the viewer opens the help of the suite's menu,
// "MAINMENU", on top.
//
// The viewer reads keys through a hook: the keyboard reader installs its own
// at start-up; until then keys are polled from the console directly.
#ifndef SCREEN_HELP_H_
#define SCREEN_HELP_H_

#include <functional>
#include <string>

// Shows the help of the topic and returns when the operator leaves it (Esc).
// The screen and the colour style are then as they were before the call.
void ShowHelp(const std::string& topic);

// Installs the function that waits for one key and returns its KeyCode (a
// character byte, or a scan code * 256).  An empty function puts back the
// default, which polls the console.
void SetHelpKeyReader(std::function<int()> reader);

#endif  // SCREEN_HELP_H_
