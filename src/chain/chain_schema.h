#pragma once
// The head office's database as this program makes it: its tables in the
// schema `baisuu`, the version they are at, and the two views the office's
// own tools read (`chain_runs`, `chain_answers`), which keep their columns
// from version to version.

#include "chain/pg_connection.h"

namespace baisuu {

// The version of the tables this program writes. A database at a newer
// version was made by a newer program, whose tables this one may not know.
constexpr int kChainSchemaVersion = 1;

// The version the database holds: 0 when it has none of our tables yet.
std::optional<QString> ChainSchemaVersion(PgConnection& db, int* version);

// Inside the caller's transaction: makes the tables and views when the
// database has none (two first syncs make them once), and refuses a database
// of a newer version with what to do about it.
std::optional<QString> EnsureChainSchema(PgConnection& db);

// What a role that may not make the tables is told with, before the server's words.
QString NoTablesText();
// What a newer database is told with.
QString NewerSchemaText(int found);

} // namespace baisuu
