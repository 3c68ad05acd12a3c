// The terminal's input bytes turned into the console's input events.
//
// The terminal sends keys as characters (UTF-8) and escape sequences; the
// decoder knows the xterm forms with modifiers, the Linux console's F1-F5,
// ESC + character as Alt, modifyOtherKeys, the kitty keyboard protocol, SGR
// and X10 mouse reports and bracketed paste.  Bytes arrive in whatever pieces
// the terminal wrote them: a sequence cut between two reads is held back
// until the rest arrives.  A lone Esc cannot be told from the start of a
// sequence by its bytes; the caller waits a short while without more input
// and then calls Expire, which takes what is held back as typed.
//
// The decoder owns the modifier state: the modifiers of the latest event, and
// the Alt, Ctrl and Shift keys held down as the kitty protocol reports them
// (presses of those keys alone are no event, but do change the state).
#ifndef PLATFORM_KEY_DECODER_H_
#define PLATFORM_KEY_DECODER_H_

#include <string>
#include <string_view>

#include "platform/console.h"

class KeyDecoder {
 public:
  // Appends bytes read from the terminal.
  void Feed(std::string_view bytes);

  // Takes the next complete event; false when none is complete.  Replies of
  // the terminal and sequences that mean no key are consumed silently.
  bool Next(InputEvent& event);

  // True when bytes are held back waiting for the rest of a sequence.
  bool HasPartial() const { return !buffer_.empty(); }

  // Takes the bytes held back as complete: a lone Esc becomes the Esc key,
  // ESC + a byte Alt + that character.
  void Expire() { expired_ = true; }

  // Drops everything held back (typed-ahead keys are discarded).
  void Clear();

  // The modifier state of the latest event or modifier key.
  const Modifiers& modifiers() const { return modifiers_; }

  // What the terminal answered to the start-up queries: the kitty keyboard
  // protocol's flags query, and the primary device attributes that every
  // terminal answers (its reply marks the end of the other replies).
  bool kittyAnswered() const { return kittyAnswered_; }
  bool attributesAnswered() const { return attributesAnswered_; }

 private:
  enum class Step { kEvent, kConsumed, kIncomplete };
  struct Sequence;

  Step DecodeOne(InputEvent& event);
  Step DecodeEscape(InputEvent& event);
  Step DecodeCsi(InputEvent& event);
  Step DecodeSs3(InputEvent& event);
  Step DecodeString();
  Step DecodeText(std::size_t at, InputEvent& event, std::size_t& length);
  Step DecodePaste(InputEvent& event);
  Step DecodeX10Mouse(InputEvent& event);
  bool CsiEvent(const Sequence& seq, InputEvent& event);
  bool KittyKey(const Sequence& seq, InputEvent& event);
  bool SgrMouse(const Sequence& seq, InputEvent& event);
  bool MouseEvent(int code, int column, int row, bool release, InputEvent& event);
  bool Emit(std::uint16_t key, Modifiers mods, InputEvent& event);

  std::string buffer_;
  bool expired_ = false;
  bool pasting_ = false;
  int pressedButton_ = 0;
  Modifiers held_;  // modifier keys held, as the kitty protocol reports them
  Modifiers modifiers_;
  bool kittyAnswered_ = false;
  bool attributesAnswered_ = false;
};

// The milliseconds that tell a lone Esc from the start of a sequence: the
// environment variable EXPCODES_ESC_DELAY when it holds a number from 0 to
// 2000, else 25.
int EscapeDelayMilliseconds(const char* setting);

#endif  // PLATFORM_KEY_DECODER_H_
