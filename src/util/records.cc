#include "util/records.h"

#include "util/json.h"

void Records::add(std::string_view kind, std::string_view key, std::string_view text, int entry) {
    AnswerRecord& answer = current().answers.emplace_back();
    answer.kind = kind;
    answer.key = key;
    answer.text = text;
    answer.entry = entry;
}

void Records::begin_run(std::string_view name) {
    std::vector<AnswerRecord>& answers = current().answers;
    // Only an alias runs commands; a word answered outside one gets an alias of its own.
    if (answers.empty() || answers.back().kind != "alias") add("alias", "line", "");
    CommandRecord& run = current().answers.back().runs.emplace_back();
    run.name = name;
    open.push_back(&run);
}

namespace {

void write_record(JsonWriter& json, const CommandRecord& record, std::string_view key = {});

void write_answer(JsonWriter& json, const AnswerRecord& answer) {
    json.begin_object();
    json.string("kind", answer.kind);
    if (!answer.key.empty()) json.string(answer.key, answer.text);
    if (answer.entry != 0) json.number("entry", answer.entry);
    if (answer.kind == "alias") {
        json.begin_array("runs");
        for (const CommandRecord& run : answer.runs) write_record(json, run);
        json.end_array();
    }
    json.end_object();
}

void write_candidates(JsonWriter& json, const std::vector<CandidateRecord>& candidates) {
    json.begin_array("candidates");
    for (const CandidateRecord& candidate : candidates) {
        json.begin_object();
        if (!candidate.path.empty()) json.string("path", candidate.path);
        if (candidate.entry != 0) json.number("entry", candidate.entry);
        json.string("verdict", candidate.verdict);
        json.string("detail", candidate.detail);
        json.end_object();
    }
    json.end_array();
}

void write_record(JsonWriter& json, const CommandRecord& record, std::string_view key) {
    json.begin_object(key);
    json.string("name", record.name);
    json.boolean("found", !record.answers.empty());
    json.begin_array("answers");
    for (const AnswerRecord& answer : record.answers) write_answer(json, answer);
    json.end_array();
    if (record.remembered) {
        json.begin_object("remembered");
        json.string("path", record.remembered->path);
        json.string("state", record.remembered->state);
        if (!record.remembered->first.empty()) json.string("first", record.remembered->first);
        json.end_object();
    }
    if (record.explained) write_candidates(json, record.candidates);
    json.end_object();
}

}  // namespace

std::string record_line(const CommandRecord& record) {
    JsonWriter json;
    write_record(json, record);
    return json.text() + '\n';
}
