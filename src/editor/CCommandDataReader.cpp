#include "editor/CCommandDataReader.h"

#include <string>

void CCommandDataReader::Read(std::string_view data, CommandTable& commands)
{
    std::string key;
    std::string value;
    std::string* target = &key;
    for (char c : data) {
        if (c == '\0')
            break; // a NUL ends the data
        if (c == '/') {
            commands.insert_or_assign(key, value);
            key.clear();
            value.clear();
            target = &key;
        } else if (c == '=') {
            target = &value;
        } else {
            *target += c;
        }
    }
}
