// The form's tables in the host database: the temporary ones dropped, the
// missing ones created with their keys.
#pragma once

namespace installer {

// Drops each of the form's temporary tables that the database holds.
void dropTemporaryTables();

// Creates each form table the database lacks, with its primary key; a table
// that exists keeps its columns and only receives the key when it has none.
void createFormTables();

}  // namespace installer
