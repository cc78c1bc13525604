// The message of a trace line: printf with the Microsoft conventions. The
// conversions that trace formats use nearly always (strings, and decimal and
// hexadecimal integers with widths and precisions) are formatted here, at a
// fraction of the CRT's cost per line; a format with anything else (other
// conversions, flags or sizes, null strings, narrow strings beyond ASCII)
// goes to the CRT whole, so every message comes out as the CRT prints it.
#include "TraceInternal.h"

#include "WinFormat.h"

namespace tracelog
{

namespace
{
// The characters go into `out`, cut at `room`: the CRT's output cut the same.
template <typename Char> class Output
{
  public:
    Output(Char *out, size_t room) noexcept : m_out(out), m_room(room) {}
    bool Full() const noexcept { return m_n == m_room; }
    size_t Length() const noexcept { return m_n; }
    void Put(Char c) noexcept
    {
        if (m_n < m_room) m_out[m_n++] = c;
    }
    void Fill(Char c, size_t count) noexcept
    {
        for (; count && m_n < m_room; --count)
            m_out[m_n++] = c;
    }
    template <typename From> void Append(const From *text, size_t count) noexcept
    {
        for (size_t i = 0; i < count && m_n < m_room; ++i)
            m_out[m_n++] = static_cast<Char>(text[i]);
    }
    // The format's own characters up to the next '%' or its end; returns
    // where they stop. One bound for the run instead of one per character.
    const Char *Literal(const Char *f) noexcept
    {
        const size_t room = m_room - m_n;
        size_t i = 0;
        for (; i < room && f[i] && f[i] != '%'; ++i)
            m_out[m_n + i] = f[i];
        m_n += i;
        return f + i;
    }

  private:
    Char *m_out;
    size_t m_room;
    size_t m_n = 0;
};

struct Spec
{
    bool left = false;
    bool zero = false;
    size_t width = 0;
    bool hasPrecision = false;
    size_t precision = 0;
};

// Widths and precisions beyond any line's length go to the CRT.
constexpr size_t MAX_FIGURE = 100000;

template <typename Char> bool ReadFigure(const Char *&f, va_list &args, size_t &out) noexcept
{
    if (*f == '*')
    {
        ++f;
        int value = va_arg(args, int);
        if (value < 0) return false; // the CRT's rules for negative ones are its own
        out = static_cast<size_t>(value);
        return out <= MAX_FIGURE;
    }
    out = 0;
    while (*f >= '0' && *f <= '9')
    {
        out = out * 10 + static_cast<size_t>(*f++ - '0');
        if (out > MAX_FIGURE) return false;
    }
    return true;
}

// Characters of a string argument up to the precision; false when the CRT
// would print it differently from a plain copy.
template <typename From> bool StringLength(const From *s, const Spec &spec, size_t &length) noexcept
{
    if (!s) return false; // "(null)"
    size_t n = 0;
    const size_t most = spec.hasPrecision ? spec.precision : static_cast<size_t>(-1);
    for (; n < most && s[n]; ++n)
        if (sizeof(From) == 1 && static_cast<unsigned char>(s[n]) >= 0x80) return false;
    length = n;
    return true;
}

template <typename Char, typename From>
bool PutString(Output<Char> &out, const From *s, const Spec &spec) noexcept
{
    size_t length = 0;
    if (spec.zero || !StringLength(s, spec, length)) return false;
    const size_t pad = spec.width > length ? spec.width - length : 0;
    if (!spec.left) out.Fill(' ', pad);
    out.Append(s, length);
    if (spec.left) out.Fill(' ', pad);
    return true;
}

template <typename Char>
bool PutNumber(Output<Char> &out, unsigned long magnitude, bool negative, unsigned base,
               bool capitals, const Spec &spec) noexcept
{
    // Flag combinations whose outcome differs between C runtimes go to the CRT.
    if ((spec.zero && (spec.left || spec.hasPrecision)) ||
        (spec.hasPrecision && spec.precision == 0))
        return false;
    char digits[16];
    size_t n = 0;
    const char *alphabet = capitals ? "0123456789ABCDEF" : "0123456789abcdef";
    do
    {
        digits[n++] = alphabet[magnitude % base];
        magnitude /= base;
    } while (magnitude);
    const size_t zeros = spec.hasPrecision && spec.precision > n ? spec.precision - n : 0;
    const size_t body = (negative ? 1 : 0) + zeros + n;
    const size_t pad = spec.width > body ? spec.width - body : 0;
    if (!spec.left && !spec.zero) out.Fill(' ', pad);
    if (negative) out.Put('-');
    if (spec.zero) out.Fill('0', pad);
    out.Fill('0', zeros);
    while (n)
        out.Put(static_cast<Char>(digits[--n]));
    if (spec.left) out.Fill(' ', pad);
    return true;
}

// True when the whole message was formatted here; false when the CRT must.
template <typename Char> bool FormatCommon(Output<Char> &out, const Char *f, va_list args) noexcept
{
    while (*f && !out.Full())
    {
        if (*f != '%')
        {
            f = out.Literal(f);
            continue;
        }
        ++f;
        if (*f == '%')
        {
            out.Put(*f++);
            continue;
        }
        Spec spec;
        for (;; ++f)
        {
            if (*f == '-')
                spec.left = true;
            else if (*f == '0')
                spec.zero = true;
            else
                break;
        }
        if (!ReadFigure(f, args, spec.width)) return false;
        if (*f == '.')
        {
            ++f;
            spec.hasPrecision = true;
            if (!ReadFigure(f, args, spec.precision)) return false;
        }
        char size = 0;
        if (*f == 'h' || *f == 'l') size = static_cast<char>(*f++);
        switch (*f++)
        {
        case 's':
            // %s is the format's own width, %hs narrow and %ls wide in either.
            if (size == 'h' || (size == 0 && sizeof(Char) == 1))
            {
                if (!PutString(out, va_arg(args, const char *), spec)) return false;
            }
            else if (sizeof(Char) == sizeof(wchar_t))
            {
                if (!PutString(out, va_arg(args, const wchar_t *), spec)) return false;
            }
            else
                return false; // a wide string in a narrow line goes through the code page
            break;
        case 'd':
        case 'i': {
            if (size == 'h') return false;
            const int value = va_arg(args, int);
            const unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value)
                                                      : static_cast<unsigned long>(value);
            if (!PutNumber(out, magnitude, value < 0, 10, false, spec)) return false;
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            if (size == 'h') return false;
            const unsigned long value = va_arg(args, unsigned int);
            const unsigned base = f[-1] == 'u' ? 10 : 16;
            if (!PutNumber(out, value, false, base, f[-1] == 'X', spec)) return false;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

template <typename Char>
size_t FormatAny(Char *out, size_t count, const Char *format, va_list args) noexcept
{
    if (!out || count == 0) return 0;
    va_list mine;
    va_copy(mine, args);
    Output<Char> text(out, count - 1);
    const bool done = FormatCommon(text, format, mine);
    va_end(mine);
    if (done)
    {
        out[text.Length()] = 0;
        return text.Length();
    }
    fx::FormatInto(out, count, format, args);
    size_t n = 0;
    while (out[n])
        ++n;
    return n;
}
} // namespace

size_t FormatMessageText(TCHAR *out, size_t count, LPCTSTR format, va_list args) noexcept
{
    return FormatAny(out, count, format, args);
}

} // namespace tracelog
