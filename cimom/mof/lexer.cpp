// Tokenizer for MOF text: white space, comments, names and punctuation; the literal forms are
// in literals.cpp.
#include "mof/lexer.h"

#include "repository.h"

namespace cimom
{
namespace mof
{

namespace
{

// How much of a long literal an error message quotes.
constexpr std::size_t kMaxQuotedChars = 40;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string quoted(const std::string& text)
{
    if (text.size() <= kMaxQuotedChars)
    {
        return "\"" + text + "\"";
    }
    return "\"" + text.substr(0, kMaxQuotedChars) + "...\"";
}

} // namespace

bool isNameStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u >= 0x80;
}

bool isNameChar(char c)
{
    return isNameStart(c) || isDigit(c);
}

bool isValidUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size())
    {
        const auto b = static_cast<unsigned char>(text[i]);
        int more = 0;
        std::uint32_t code = 0;
        std::uint32_t least = 0;
        if (b < 0x80)
        {
            ++i;
            continue;
        }
        if ((b & 0xE0) == 0xC0)
        {
            more = 1, code = b & 0x1F, least = 0x80;
        }
        else if ((b & 0xF0) == 0xE0)
        {
            more = 2, code = b & 0x0F, least = 0x800;
        }
        else if ((b & 0xF8) == 0xF0)
        {
            more = 3, code = b & 0x07, least = 0x10000;
        }
        else
        {
            return false;
        }
        if (i + static_cast<std::size_t>(more) >= text.size())
        {
            return false;
        }
        for (int k = 1; k <= more; ++k)
        {
            const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80)
            {
                return false;
            }
            code = (code << 6) | (c & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        {
            return false;
        }
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

std::string lowerAscii(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
    {
        if (c >= 'A' && c <= 'Z')
        {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool equalsIgnoreCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && lowerAscii(a) == lowerAscii(b);
}

std::string Literal::describe() const
{
    switch (kind)
    {
    case Kind::Null:
        return "null";
    case Kind::Boolean:
        return boolean ? "true" : "false";
    case Kind::Integer:
    case Kind::Real:
        return "the number " + text;
    case Kind::String:
        return "the string " + quoted(text);
    case Kind::Char:
        return "the character " + text;
    }
    return text;
}

bool Token::isKeyword(const char* keyword) const
{
    return kind == Kind::Identifier && equalsIgnoreCase(text, keyword);
}

std::string Token::describe() const
{
    switch (kind)
    {
    case Kind::End:
        return "end of file";
    case Kind::Identifier:
    case Kind::Punct:
        return "'" + text + "'";
    case Kind::Alias:
        return "'$" + text + "'";
    case Kind::Literal:
        return literal.describe();
    }
    return text;
}

Lexer::Lexer(const std::string& text, const std::string& fileName)
    : text_(text), fileName_(fileName)
{
    // A UTF-8 byte order mark says nothing the parser needs.
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0)
    {
        pos_ = 3;
    }
    else if (text_.compare(0, 2, "\xFF\xFE") == 0 || text_.compare(0, 2, "\xFE\xFF") == 0)
    {
        fail(1, "UTF-16 text is not supported; save the file as UTF-8");
    }
}

void Lexer::fail(int line, const std::string& message) const
{
    throw MofError(fileName_, line, message);
}

void Lexer::skipSpaceAndComments()
{
    while (!atEnd())
    {
        const char c = peek();
        if (c == '\n')
        {
            ++line_;
            ++pos_;
        }
        else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v')
        {
            ++pos_;
        }
        else if (c == '/' && peek(1) == '/')
        {
            while (!atEnd() && peek() != '\n')
            {
                ++pos_;
            }
        }
        else if (c == '/' && peek(1) == '*')
        {
            const int startLine = line_;
            pos_ += 2;
            while (!(peek() == '*' && peek(1) == '/'))
            {
                if (atEnd())
                {
                    fail(startLine, "comment is not closed with '*/'");
                }
                if (peek() == '\n')
                {
                    ++line_;
                }
                ++pos_;
            }
            pos_ += 2;
        }
        else
        {
            return;
        }
    }
}

Token Lexer::next()
{
    skipSpaceAndComments();
    Token token;
    token.line = line_;
    if (atEnd())
    {
        return token;
    }
    const char c = peek();
    if (isNameStart(c))
    {
        return lexName(Token::Kind::Identifier);
    }
    if (c == '$')
    {
        ++pos_;
        if (!isNameStart(peek()))
        {
            fail(line_, "expected an alias name after '$'");
        }
        return lexName(Token::Kind::Alias);
    }
    if (isDigit(c) ||
        ((c == '-' || c == '+' || c == '.') && (isDigit(peek(1)) || (c != '.' && peek(1) == '.'))))
    {
        return lexNumber();
    }
    if (c == '"')
    {
        return lexString();
    }
    if (c == '\'')
    {
        return lexChar();
    }
    static const std::string kPunctuation = "{}[]();,:=#";
    if (kPunctuation.find(c) != std::string::npos)
    {
        ++pos_;
        token.kind = Token::Kind::Punct;
        token.text = std::string(1, c);
        return token;
    }
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F)
    {
        fail(line_, "unexpected control character (code " + std::to_string(u) + ")");
    }
    fail(line_, std::string("unexpected character '") + c + "'");
}

Token Lexer::lexName(Token::Kind kind)
{
    Token token;
    token.kind = kind;
    token.line = line_;
    const std::size_t start = pos_;
    while (!atEnd() && isNameChar(peek()))
    {
        ++pos_;
    }
    token.text = text_.substr(start, pos_ - start);
    if (!isValidUtf8(token.text))
    {
        fail(line_, "a name holds malformed UTF-8");
    }
    return token;
}

} // namespace mof
} // namespace cimom
