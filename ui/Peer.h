#pragma once
#include <string>

namespace qb::ui {

// The kinds of window the backend knows how to make for a windowed control.
enum class WindowKind { Container, GroupBox, Label, PushButton, CheckBox, RadioButton, Edit, Memo, ListBox, ComboBox, ProgressBar, TabStrip, Form };

// What the window tells its control: the user clicked it, typed into it or
// chose another entry (with the new index or text).
enum class PeerEvent { Clicked, TextEdited, SelectionChanged };

}  // namespace qb::ui
