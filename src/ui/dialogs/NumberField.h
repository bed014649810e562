#pragma once
// Live formatting of a phone-number field: on every change the field shows LiveNumberText of
// what it holds, with the caret after the last character.

class QLineEdit;

void AttachNumberFormatting(QLineEdit* field);
