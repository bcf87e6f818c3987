// Builds a String from a pattern where %1 .. %9 stand for the arguments, each written as an
// ostream would print it; "%%" gives one "%". A "%" followed by anything else, or naming an
// argument that was not given, is kept as written.
// Thread-safety: a plain value; each Format owns its text.
#ifndef OW_FORMAT_HPP_INCLUDE_GUARD_
#define OW_FORMAT_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_String.hpp"
#include <iosfwd>
#include <sstream>

namespace OpenWBEM
{

class Format
{
public:
    template <typename A> Format(const char* ca, const A& a)
    {
        String args[1] = {argText(a)};
        expand(ca, args, 1);
    }
    template <typename A, typename B> Format(const char* ca, const A& a, const B& b)
    {
        String args[2] = {argText(a), argText(b)};
        expand(ca, args, 2);
    }
    template <typename A, typename B, typename C>
    Format(const char* ca, const A& a, const B& b, const C& c)
    {
        String args[3] = {argText(a), argText(b), argText(c)};
        expand(ca, args, 3);
    }
    template <typename A, typename B, typename C, typename D>
    Format(const char* ca, const A& a, const B& b, const C& c, const D& d)
    {
        String args[4] = {argText(a), argText(b), argText(c), argText(d)};
        expand(ca, args, 4);
    }
    template <typename A, typename B, typename C, typename D, typename E>
    Format(const char* ca, const A& a, const B& b, const C& c, const D& d, const E& e)
    {
        String args[5] = {argText(a), argText(b), argText(c), argText(d), argText(e)};
        expand(ca, args, 5);
    }
    template <typename A, typename B, typename C, typename D, typename E, typename F>
    Format(const char* ca, const A& a, const B& b, const C& c, const D& d, const E& e, const F& f)
    {
        String args[6] = {argText(a), argText(b), argText(c), argText(d), argText(e), argText(f)};
        expand(ca, args, 6);
    }
    template <typename A, typename B, typename C, typename D, typename E, typename F, typename G>
    Format(const char* ca, const A& a, const B& b, const C& c, const D& d, const E& e, const F& f,
           const G& g)
    {
        String args[7] = {argText(a), argText(b), argText(c), argText(d),
                          argText(e), argText(f), argText(g)};
        expand(ca, args, 7);
    }
    template <typename A, typename B, typename C, typename D, typename E, typename F, typename G,
              typename H>
    Format(const char* ca, const A& a, const B& b, const C& c, const D& d, const E& e, const F& f,
           const G& g, const H& h)
    {
        String args[8] = {argText(a), argText(b), argText(c), argText(d),
                          argText(e), argText(f), argText(g), argText(h)};
        expand(ca, args, 8);
    }
    template <typename A, typename B, typename C, typename D, typename E, typename F, typename G,
              typename H, typename I>
    Format(const char* ca, const A& a, const B& b, const C& c, const D& d, const E& e, const F& f,
           const G& g, const H& h, const I& i)
    {
        String args[9] = {argText(a), argText(b), argText(c), argText(d), argText(e),
                          argText(f), argText(g), argText(h), argText(i)};
        expand(ca, args, 9);
    }

    operator String() const;
    String toString() const;
    const char* c_str() const;

private:
    template <typename T> static String argText(const T& t)
    {
        std::ostringstream os;
        os << t;
        const std::string text = os.str();
        return String(text.c_str(), text.size());
    }
    void expand(const char* pattern, const String* args, int argCount);

    String m_text;
};

std::ostream& operator<<(std::ostream& os, const Format& f);

} // end namespace OpenWBEM

#endif
