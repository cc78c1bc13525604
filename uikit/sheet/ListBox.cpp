// CListBox: the calls that need more than a line.
#include "ListBox.h"

std::wstring CListBox::GetText(int row) const
{
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(row));
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        Send(LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

int CListBox::InsertString(int row, const std::wstring &text) const
{
    return static_cast<int>(
        Send(LB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.c_str())));
}
