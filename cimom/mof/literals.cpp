// The literal forms of MOF: decimal, octal, hexadecimal, binary and real numbers, and strings
// and characters with their escape sequences.
#include "mof/lexer.h"

#include "repository.h"

#include <cerrno>
#include <cstdlib>

namespace cimom
{
namespace mof
{

namespace
{

// The longest \x escape: four hex digits give every UCS-2 code.
constexpr int kMaxEscapeHexDigits = 4;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
    {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f')
    {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F')
    {
        return c - 'A' + 10;
    }
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80)
    {
        out += static_cast<char>(code);
    }
    else if (code < 0x800)
    {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Adds one digit to a magnitude, noting when it no longer fits in 64 bits.
void accumulate(std::uint64_t& magnitude, bool& tooLarge, unsigned base, unsigned digit)
{
    if (magnitude > (UINT64_MAX - digit) / base)
    {
        tooLarge = true;
    }
    magnitude = magnitude * base + digit;
}

} // namespace

// Forms, with an optional sign: decimal 123, octal 017, hexadecimal 0x1F, binary 101b, and
// real 1.5, .5, 1.5e-3 (a real needs its decimal point).
Token Lexer::lexNumber()
{
    Token token;
    token.kind = Token::Kind::Literal;
    token.line = line_;
    Literal& lit = token.literal;
    lit.line = line_;
    const std::size_t start = pos_;
    if (peek() == '-' || peek() == '+')
    {
        lit.negative = peek() == '-';
        ++pos_;
    }
    const std::size_t digitsStart = pos_;
    while (isDigit(peek()))
    {
        ++pos_;
    }
    const std::string digits = text_.substr(digitsStart, pos_ - digitsStart);

    if (peek() == '.')
    {
        ++pos_;
        if (!isDigit(peek()))
        {
            fail(line_, "a real number needs digits after its decimal point");
        }
        while (isDigit(peek()))
        {
            ++pos_;
        }
        if (peek() == 'e' || peek() == 'E')
        {
            ++pos_;
            if (peek() == '+' || peek() == '-')
            {
                ++pos_;
            }
            if (!isDigit(peek()))
            {
                fail(line_, "a real number needs digits after its exponent mark");
            }
            while (isDigit(peek()))
            {
                ++pos_;
            }
        }
        lit.kind = Literal::Kind::Real;
        lit.text = text_.substr(start, pos_ - start);
        errno = 0;
        lit.real = std::strtod(lit.text.c_str(), nullptr);
        if (errno == ERANGE)
        {
            fail(line_, "the real number " + lit.text + " is out of range");
        }
    }
    else if (digits == "0" && (peek() == 'x' || peek() == 'X'))
    {
        ++pos_;
        if (hexValue(peek()) < 0)
        {
            fail(line_, "expected hexadecimal digits after '0x'");
        }
        while (hexValue(peek()) >= 0)
        {
            accumulate(lit.magnitude, lit.tooLarge, 16, static_cast<unsigned>(hexValue(peek())));
            ++pos_;
        }
        lit.kind = Literal::Kind::Integer;
    }
    else if ((peek() == 'b' || peek() == 'B') && !isNameChar(peek(1)) &&
             digits.find_first_not_of("01") == std::string::npos)
    {
        ++pos_;
        for (char d : digits)
        {
            accumulate(lit.magnitude, lit.tooLarge, 2, static_cast<unsigned>(d - '0'));
        }
        lit.kind = Literal::Kind::Integer;
    }
    else
    {
        const bool octal = digits.size() > 1 && digits[0] == '0';
        if (octal && digits.find_first_not_of("01234567") != std::string::npos)
        {
            fail(line_, "the octal number " + digits + " holds a digit above 7");
        }
        for (char d : digits)
        {
            accumulate(lit.magnitude, lit.tooLarge, octal ? 8 : 10, static_cast<unsigned>(d - '0'));
        }
        lit.kind = Literal::Kind::Integer;
    }
    if (lit.kind == Literal::Kind::Integer)
    {
        lit.text = text_.substr(start, pos_ - start);
    }
    if (isNameChar(peek()) || peek() == '.')
    {
        fail(line_, "malformed number '" + text_.substr(start, pos_ - start + 1) + "'");
    }
    return token;
}

std::uint32_t Lexer::lexEscape()
{
    const char c = peek();
    ++pos_;
    switch (c)
    {
    case 'b':
        return '\b';
    case 't':
        return '\t';
    case 'n':
        return '\n';
    case 'f':
        return '\f';
    case 'r':
        return '\r';
    case '"':
    case '\'':
    case '\\':
        return static_cast<unsigned char>(c);
    case 'x':
    case 'X':
    {
        std::uint32_t code = 0;
        int count = 0;
        while (count < kMaxEscapeHexDigits && hexValue(peek()) >= 0)
        {
            code = code * 16 + static_cast<std::uint32_t>(hexValue(peek()));
            ++pos_;
            ++count;
        }
        if (count == 0)
        {
            fail(line_, "expected hexadecimal digits after '\\x'");
        }
        return code;
    }
    default:
        break;
    }
    if (c == '\n' || c == '\0')
    {
        fail(line_, "a backslash cannot end a line inside a literal");
    }
    fail(line_, std::string("unknown escape sequence '\\") + c + "'");
}

Token Lexer::lexString()
{
    Token token;
    token.kind = Token::Kind::Literal;
    token.line = line_;
    token.literal.kind = Literal::Kind::String;
    token.literal.line = line_;
    ++pos_; // opening quote
    std::string& out = token.literal.text;
    while (true)
    {
        if (atEnd() || peek() == '\n')
        {
            fail(token.line, "string is not closed with '\"' on the line it starts");
        }
        const char c = peek();
        ++pos_;
        if (c == '"')
        {
            break;
        }
        if (c == '\0')
        {
            fail(line_, "a string cannot hold the NUL character");
        }
        if (c != '\\')
        {
            out += c;
            continue;
        }
        const std::uint32_t code = lexEscape();
        if (code == 0)
        {
            fail(line_, "a string cannot hold the NUL character");
        }
        if (code >= 0xD800 && code <= 0xDFFF)
        {
            fail(line_, "an escape cannot name half of a surrogate pair");
        }
        appendUtf8(out, code);
    }
    if (!isValidUtf8(out))
    {
        fail(token.line, "string holds malformed UTF-8");
    }
    token.text = out;
    return token;
}

Token Lexer::lexChar()
{
    Token token;
    token.kind = Token::Kind::Literal;
    token.line = line_;
    Literal& lit = token.literal;
    lit.kind = Literal::Kind::Char;
    lit.line = line_;
    const std::size_t start = pos_;
    ++pos_; // opening quote
    const char c = peek();
    if (atEnd() || c == '\n' || c == '\'')
    {
        fail(line_, "expected one character between single quotes");
    }
    ++pos_;
    std::uint32_t code = static_cast<unsigned char>(c);
    if (c == '\\')
    {
        code = lexEscape();
    }
    else if (code >= 0x80)
    {
        // One UTF-8 sequence of up to three bytes: char16 holds the basic plane only.
        int more = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : -1;
        if (more < 0 || more > 2)
        {
            fail(line_, "a char16 value must be one character of the basic multilingual plane");
        }
        code &= more == 1 ? 0x1F : 0x0F;
        for (; more > 0; --more)
        {
            const auto b = static_cast<unsigned char>(peek());
            if ((b & 0xC0) != 0x80)
            {
                fail(line_, "malformed UTF-8 in a character literal");
            }
            code = (code << 6) | (b & 0x3F);
            ++pos_;
        }
    }
    if (peek() != '\'')
    {
        fail(line_, "expected ''' after the character of a character literal");
    }
    ++pos_;
    lit.character = static_cast<std::uint16_t>(code);
    lit.text = text_.substr(start, pos_ - start);
    token.text = lit.text;
    return token;
}

} // namespace mof
} // namespace cimom
