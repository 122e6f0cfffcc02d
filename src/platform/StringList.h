// An ordered list of strings that keeps insertion order and allows duplicates.
#pragma once

#include <string>
#include <vector>

using CStringList = std::vector<std::string>;
