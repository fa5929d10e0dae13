// The results a dialog of the program closes with, numbered as the modal
// results of the original forms: callers that look at them compare with
// these, never with QDialog's own Accepted and Rejected.
#pragma once

namespace korvalen::shell {

inline constexpr int kMrCancel = 2;  // closed without saving (or after a save by its own button)
inline constexpr int kMrYes = 6;     // the close question was answered Yes and the save went through

}  // namespace korvalen::shell
