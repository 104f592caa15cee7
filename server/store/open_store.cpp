#include "store/postgres_store.hpp"
#include "store/sqlite_store.hpp"
#include "store/store.hpp"

std::unique_ptr<Store> OpenStore(const std::string& url, std::string& error) {
    if (url.starts_with("sqlite:")) {
        std::string path = url.substr(7);
        if (path.empty()) {
            error = "sqlite: needs a file name, as in sqlite:rezarudev-board.db";
            return nullptr;
        }
        return OpenSqliteStore(path, error);
    }
    if (url.starts_with("postgresql://") || url.starts_with("postgres://")) return OpenPostgresStore(url, error);
    error = "the database must be sqlite:FILE or a postgresql:// URL";
    return nullptr;
}
