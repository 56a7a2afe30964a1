// libpq is loaded at the first use of a server, not at start: this program links the store like
// kavri does, checks that libpq is not in its memory, parses a connection text through libpq,
// and checks that libpq is there now and gave the right answer. Exit 0 when all three hold.
#include <libpq-fe.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

bool libpqLoaded()
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("/libpq.so") != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace

int main()
{
    if (libpqLoaded()) {
        std::puts("libpq was loaded at start");
        return 1;
    }
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse("host=/run/kavri dbname=人事 port=5433", &error);
    if (!options) {
        std::printf("the connection text was refused: %s\n", error ? error : "");
        PQfreemem(error);
        return 1;
    }
    std::string database;
    std::string port;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val && std::strcmp(o->keyword, "dbname") == 0) {
            database = o->val;
        } else if (o->val && std::strcmp(o->keyword, "port") == 0) {
            port = o->val;
        }
    }
    PQconninfoFree(options);
    if (database != "人事" || port != "5433") {
        std::printf("libpq parsed dbname '%s', port '%s'\n", database.c_str(), port.c_str());
        return 1;
    }
    // A text libpq cannot read comes back refused, with libpq's reason.
    error = nullptr;
    if (PQconninfoParse("host='unterminated", &error) || !error) {
        std::puts("a broken connection text was not refused with a reason");
        return 1;
    }
    PQfreemem(error);
    if (!libpqLoaded()) {
        std::puts("libpq answered but is not loaded");
        return 1;
    }
    std::puts("libpq loaded at its first use");
    return 0;
}
