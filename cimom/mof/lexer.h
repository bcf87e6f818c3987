// Splits MOF text into tokens (names, literals, punctuation), each with the line it starts on.
// White space and comments are dropped here, and string, character and number literals are
// decoded, so that the parser deals in values and never in raw characters.
// Thread-safety: a lexer belongs to one parse; separate lexers may run at the same time.
#pragma once

#include <cstdint>
#include <string>

namespace cimom
{
namespace mof
{

// A constant as written in MOF, before it is given the type of the element it initialises.
struct Literal
{
    enum class Kind
    {
        Null,
        Boolean,
        Integer,
        Real,
        String,
        Char,
    };

    Kind kind = Kind::Null;
    int line = 0;
    bool boolean = false;
    // Integer: the sign and magnitude as written; tooLarge when it does not fit in 64 bits.
    bool negative = false;
    bool tooLarge = false;
    std::uint64_t magnitude = 0;
    double real = 0;
    std::string text;            // String: the decoded UTF-8 text; otherwise as written
    std::uint16_t character = 0; // Char: the UCS-2 code

    // How the literal reads in an error message, e.g. "the string \"abc\"" or "the number 7".
    std::string describe() const;
};

struct Token
{
    enum class Kind
    {
        End,
        Identifier, // names and keywords alike; keywords are told apart by the parser
        Literal,    // numbers, strings and characters (true, false and null are identifiers)
        Alias,      // $name
        Punct,      // one of { } [ ] ( ) ; , : = #
    };

    Kind kind = Kind::End;
    int line = 0;
    std::string text; // identifier or alias name, the punctuation character, or the literal text
    Literal literal;

    bool isPunct(char c) const { return kind == Kind::Punct && text.size() == 1 && text[0] == c; }
    // Case-insensitive, as MOF keywords are.
    bool isKeyword(const char* keyword) const;
    // How the token reads in an error message: "'class'", "the string \"x\"", "end of file".
    std::string describe() const;
};

class Lexer
{
public:
    // Both strings must outlive the lexer. Errors are thrown as MofError naming `fileName`.
    Lexer(const std::string& text, const std::string& fileName);

    Token next();

private:
    [[noreturn]] void fail(int line, const std::string& message) const;
    void skipSpaceAndComments();
    Token lexNumber();
    Token lexString();
    Token lexChar();
    Token lexName(Token::Kind kind);
    // Decodes one escape sequence after its backslash and returns the code it stands for.
    std::uint32_t lexEscape();

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek(std::size_t ahead = 0) const
    {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
    }

    const std::string& text_;
    const std::string& fileName_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// Character classes shared by the lexer's source files. Names may hold any non-ASCII character.
bool isNameStart(char c);
bool isNameChar(char c);
// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. Text that reaches a
// client inside an XML document must be well formed.
bool isValidUtf8(const std::string& text);

// Lower-cases ASCII letters only: CIM names compare without regard to case, byte by byte.
std::string lowerAscii(const std::string& text);
bool equalsIgnoreCase(const std::string& a, const std::string& b);

} // namespace mof
} // namespace cimom
