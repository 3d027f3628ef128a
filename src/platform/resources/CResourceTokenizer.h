// Splits a resource script into its tokens: strings (with their escapes
// undone), numbers (decimal or 0x hex, C's L and U suffixes allowed), words,
// commas and bars. "{" and "}" become the words BEGIN and END; comments and
// white space are dropped; every token keeps its line for the messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CResourceTokenizer {
public:
    struct Token {
        enum class Type { End, String, Number, Word, Comma, Bar };
        Type type = Type::End;
        std::string text; // a string's contents, a word, a number as written
        long long number = 0;
        int line = 0;
    };

    // The tokens of the script, the last one End (told at the last line with
    // text). Throws CResourceScript::Error at the first fault; the name is the
    // one the messages give the script.
    static std::vector<Token> Tokenize(std::string_view text, std::string_view name);

private:
    CResourceTokenizer(std::string_view text, std::string_view name) : text_(text), name_(name) {}

    [[noreturn]] void FailAt(int line, const std::string& message) const;
    void Run();
    // Where the word (letters, digits and "_") from `at` on ends.
    std::size_t WordEnd(std::size_t at) const;
    // The length of the UTF-8 character at `at`; a byte that is not UTF-8 is
    // a fault of the line.
    std::size_t Utf8CharAt(std::size_t at, int line) const;
    // A quoted string from its opening quote; returns where it ends.
    std::size_t ReadString(std::size_t at, int line);
    std::size_t ReadNumber(std::size_t at, int line);

    std::string_view text_;
    std::string name_;
    std::vector<Token> tokens_;
    int lastLine_ = 1;
};
