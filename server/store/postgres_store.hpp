#pragma once

#include <memory>
#include <string>

#include "store/store.hpp"

// The store of a real deployment: a PostgreSQL database that any number of
// boards share. `url` is a libpq connection URL.
std::unique_ptr<Store> OpenPostgresStore(const std::string& url, std::string& error);
