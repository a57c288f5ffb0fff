// The About window's hidden key sequence: five letter keys typed while Ctrl
// and Alt are held show a message that credits the developer.
//
// Pure logic, no <windows.h>: the window feeds it every key-down it previews
// and shows the message box when told to.
#pragma once

#include <cstdint>
#include <string>

namespace tidemark {

// The credit message that a completed sequence shows.
inline constexpr char kCreditMessage[] = "개발자 : Nelvo";

class HiddenKeySequence {
 public:
  // The state right after the About window's creation: position 1 of "TRQNP".
  HiddenKeySequence();

  // One key-down of the window: the 16-bit virtual-key code and the modifier
  // state (Shift and Ctrl down, Alt down when the key was pressed, as the key
  // message reports it). Returns true when the credit message must be shown
  // now; the position then stays on the last letter until CreditShown().
  //
  // Only the state exactly Ctrl and Alt with Shift up counts; any other state
  // leaves the position alone, neither progress nor reset. A key that breaks
  // the sequence sends the position back to 1 and is not compared again with
  // the first letter, so "T T R Q N P" shows nothing.
  bool KeyDown(std::uint16_t key, bool shift, bool ctrl, bool alt);

  // To be called once the credit message box has been closed: only then does
  // the position go back to 1.
  void CreditShown();

  // The sequence to type, upper-case letters: a letter key's virtual-key code
  // is the code of its upper-case letter.
  const std::string& KeySequence() const { return m_keySequence; }

  // The 1-based position in KeySequence() of the next expected key, always
  // between 1 and its length.
  int KeyPos() const { return m_keyPos; }

 private:
  std::string m_keySequence;
  int m_keyPos;
};

}  // namespace tidemark
