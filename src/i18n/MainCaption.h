#pragma once

namespace tw::i18n {

// The main-window captions that a language sets (lines 6 to 22, 93, 100 and 101 of a language
// file).
enum class MainCaption {
    LabeledEdit1,     // 6
    LabeledEdit2,     // 7
    Button1,          // 8
    Button2,          // 9
    Button3,          // 10
    Button5,          // 11
    Button6,          // 12
    CheckBox1,        // 13
    CheckBox2,        // 14
    CheckBox3,        // 15
    CheckBox4,        // 16
    Label1,           // 17: prefix and the file-count text
    Label2,           // 18: prefix and the size of the listed files
    Label3,           // 19: prefix and the free space of the destination
    OpenDialogFilter, // 20, 21: "desc|*.m3u;*.pls|desc|*.*"
    OpenDialogTitle,  // 22
    CheckBox5,        // 93
    CheckBox6,        // 100
    CheckBox7         // 101
};

} // namespace tw::i18n
