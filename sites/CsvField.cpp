#include "sites/CsvField.h"

void AppendQuotedField(std::string& line, const char* text) {
    line += '"';
    for (const char* c = text ? text : ""; *c; ++c) {
        if (*c == '"')
            line += '"';
        line += *c;
    }
    line += '"';
}
