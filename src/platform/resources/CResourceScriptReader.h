// Reads the resources of a resource script (see CResourceScript.h for the
// statements) off its tokens into a CResourceScript.
#pragma once

#include "platform/resources/CResourceScript.h"
#include "platform/resources/CResourceTokenizer.h"

#include <string>
#include <string_view>
#include <vector>

class CResourceScriptReader {
public:
    // Throws CResourceScript::Error at the script's first fault; the name is
    // the one the messages give the script.
    static CResourceScript Read(std::string_view text, std::string_view name);

private:
    using Token = CResourceTokenizer::Token;

    CResourceScriptReader(std::vector<Token> tokens, std::string_view name)
        : tokens_(std::move(tokens)), name_(name)
    {
    }

    [[noreturn]] void FailAt(int line, const std::string& message) const;
    CResourceScript Run();

    const Token& Peek(std::size_t ahead = 0) const;
    Token Next();
    bool IsWord(std::string_view word, std::size_t ahead = 0) const;

    static std::string Describe(const Token& token);

    [[noreturn]] void Fail(const Token& found, const std::string& expected) const;

    void Expect(Token::Type type, const std::string& what);
    void ExpectWord(std::string_view word, const std::string& where);
    void ExpectComma(const std::string& before);
    std::string ExpectString(const std::string& what);
    long long ExpectNumber(const std::string& what, long long low, long long high);
    UINT ExpectResourceId(const std::string& what);
    UINT ExpectCommandId(const std::string& what);
    int ExpectCoordinate(const std::string& what);
    void SkipMemoryFlags();

    template <typename Map, typename Value>
    void Store(Map& map, UINT id, Value value, const char* what, const Token& idToken);
    void ReadStringTable(CResourceScript& script);
    MenuResource ReadMenu(UINT id);

    // Items up to and with the END that closes them.
    std::vector<MenuItemResource> ReadMenuItems();

    bool IsMenuOption(std::size_t ahead) const;

    void ReadMenuOptions(MenuItemResource& item);
    std::vector<AcceleratorResource> ReadAccelerators();
    AcceleratorResource ReadAccelerator();
    ToolBarResource ReadToolBar(UINT id);

    // term { "|" term }, a term a word or number with NOT before it or not.
    std::vector<std::string> ReadStyle(const std::string& what);
    DialogResource ReadDialog(UINT id);
    void ReadRect(int& x, int& y, int& cx, int& cy, const std::string& owner);
    int ExpectControlId(const std::string& owner);

    // An optional ", style" and after it an optional ", exstyle".
    void ReadOptionalStyles(DialogControlResource& control, const std::string& owner, bool style);
    DialogControlResource ReadControl(const std::string& dialog);

    static constexpr int kMaxPopupDepth = 32;

    std::vector<Token> tokens_;
    std::string name_;
    std::size_t next_ = 0;
    int popupDepth_ = 0;
};
