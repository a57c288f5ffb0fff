#include "ui/KeySequence.h"

namespace tidemark {

HiddenKeySequence::HiddenKeySequence() : m_keySequence("TRQNP"), m_keyPos(1) {}

bool HiddenKeySequence::KeyDown(std::uint16_t key, bool shift, bool ctrl, bool alt) {
  if (shift || !ctrl || !alt) return false;

  // The letters are plain ASCII, so the character's code is the key's code.
  const auto expected = static_cast<unsigned char>(m_keySequence[static_cast<std::size_t>(m_keyPos - 1)]);
  if (key != expected) {
    m_keyPos = 1;
    return false;
  }
  if (m_keyPos == static_cast<int>(m_keySequence.size())) return true;
  ++m_keyPos;
  return false;
}

void HiddenKeySequence::CreditShown() { m_keyPos = 1; }

}  // namespace tidemark
