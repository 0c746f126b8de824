#pragma once
#include <string>

class CAdoDatabase;

// Fills the SiteData table of an existing SQLite file with count generated
// sites (texts in UTF-8, as the SQLite library stores them). False with the
// reason in error.
bool GenerateSites(const std::string& file, int count, std::string& error);

// Points the host folder at folder, opens db on a new embedded database
// "sites.db" there with the host's schema, and fills it with count sites.
bool OpenSiteDatabase(CAdoDatabase& db, const std::string& folder, int count, std::string& error);
