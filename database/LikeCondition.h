#pragma once
// The one place where the like conditions of the screens' selects are built,
// so that both engines match the same rows with them:
//
//     BuildLikeCondition(db, "classpath", path + "%")   a category's tasks
//     BuildLikeCondition(db, "ClassPath", "/信息网%")   the sites of the directory
//     BuildLikeCondition(db, "Name", "%" + text + "%")  sites by name
//
// The pattern is matched as SQLite's like matches it:
// - "%" matches any run of characters and "_" any one character; they stay
//   wildcards wherever they stand, also inside a category path or a search
//   text;
// - every other character stands for itself, a backslash included
//   (PostgreSQL would take it as an escape: "A\B%" would not find A\B);
// - ASCII letters match without regard to case, all other characters only
//   themselves (PostgreSQL's like compares case, and its ilike also folds
//   Greek, Cyrillic and full-width letters, which SQLite compares exactly).
// Single quotes in the pattern are doubled, so a pattern can neither end the
// quoted text nor add SQL of its own: a category named
// x'; drop table Nimbrel; -- only finds its own tasks.
//
// The result is the condition without blanks around it; the column name comes
// from the program's own code and goes in unchanged. On SQLite:
//     classpath like '/it''s/%'
// on PostgreSQL, where the column's letters are folded for the comparison:
//     translate(classpath,'ABC...XYZ','abc...xyz') like '/it''s/%' escape ''
// The engine is that of the open database; without one, the first form.
// Texts are GBK: the second byte of a double-byte character is never taken
// for a quote or a letter.
#include <string>

class CAdoDatabase;

std::string BuildLikeCondition(const CAdoDatabase* database, const std::string& column,
                               const std::string& pattern);
