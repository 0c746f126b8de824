#pragma once
#include <string>

// Fills the SiteData table of an existing SQLite file with count generated
// sites (texts in UTF-8, as the SQLite library stores them). False with the
// reason in error.
bool GenerateSites(const std::string& file, int count, std::string& error);
