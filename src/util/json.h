// JSON Lines written by hand, as ninja writes its compilation database: one record at a time
// into a text, members in the order they are added.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// text as a JSON string, quotes included, appended to out: JSON's escapes for control
// characters (and for the C1 controls, U+2028 and U+2029, so that no terminal or script reads
// them raw), U+FFFD for each byte that is not part of well-formed UTF-8. False when a byte was
// replaced: the string then does not give text back.
bool append_json_string(std::string& out, std::string_view text);

// bytes in base64 (RFC 4648, with padding).
std::string base64(std::string_view bytes);

// One JSON value under construction. The members and elements of the open object or array are
// separated as they come.
class JsonWriter {
  public:
    // Objects and arrays: a member of the open object when key is given, an element otherwise.
    void begin_object(std::string_view key = {});
    void end_object();
    void begin_array(std::string_view key);
    void end_array();
    // A string member; beside it "KEY_b64" holds the exact bytes when they are not UTF-8.
    void string(std::string_view key, std::string_view text);
    void number(std::string_view key, long long value);
    void boolean(std::string_view key, bool value);
    // The value as written so far.
    const std::string& text() const { return out_; }

  private:
    void separate();
    void key(std::string_view name);

    std::string out_;
    std::vector<bool> has_items_;  // for each open object or array: a member or element came
};
