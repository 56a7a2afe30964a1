// libpq, loaded when a team's server is first used rather than when the program starts.
//
// libpq brings some twenty libraries along (Kerberos, LDAP, GnuTLS, SASL and theirs), and
// loading and relocating them costs every start of kavri and kavri-cli several milliseconds,
// although only a team library or a register on a server ever talks to PostgreSQL. So the
// program links these definitions instead of libpq itself: each one loads libpq.so.5 at its first
// call (once, for the whole process), looks up the function of the same name there and calls it.
// Only the functions the store uses are here; one more is one more line of the same form.
//
// The package depends on libpq5, so the library is there wherever kavri is installed. Should it
// be missing all the same, the program stops at the first use of a server with the reason on
// stderr, as the loader would have stopped it at start before.

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace {

[[noreturn]] void cannotLoad(const char* what)
{
    std::fprintf(stderr, "kavri: 无法加载 libpq.so.5（%s），团队资料库和服务器上的登记簿无法使用\n",
                 what ? what : "");
    std::fflush(stderr);
    std::_Exit(127);
}

void* libpq()
{
    static void* const handle = [] {
        void* h = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            cannotLoad(dlerror());
        }
        return h;
    }();
    return handle;
}

void* symbol(const char* name)
{
    void* found = dlsym(libpq(), name);
    if (!found) {
        cannotLoad(name);
    }
    return found;
}

} // namespace

// The libpq function `name`, looked up once.
#define KAVRI_LIBPQ(name)                                                                          \
    ([]() {                                                                                        \
        static const auto fn = reinterpret_cast<decltype(&::name)>(symbol(#name));                 \
        return fn;                                                                                 \
    }())

extern "C" {

PGconn* PQconnectdbParams(const char* const* keywords, const char* const* values,
                          int expand_dbname)
{
    return KAVRI_LIBPQ(PQconnectdbParams)(keywords, values, expand_dbname);
}

void PQfinish(PGconn* conn)
{
    KAVRI_LIBPQ(PQfinish)(conn);
}

void PQreset(PGconn* conn)
{
    KAVRI_LIBPQ(PQreset)(conn);
}

ConnStatusType PQstatus(const PGconn* conn)
{
    return KAVRI_LIBPQ(PQstatus)(conn);
}

PGTransactionStatusType PQtransactionStatus(const PGconn* conn)
{
    return KAVRI_LIBPQ(PQtransactionStatus)(conn);
}

char* PQerrorMessage(const PGconn* conn)
{
    return KAVRI_LIBPQ(PQerrorMessage)(conn);
}

char* PQdb(const PGconn* conn)
{
    return KAVRI_LIBPQ(PQdb)(conn);
}

PQconninfoOption* PQconninfo(PGconn* conn)
{
    return KAVRI_LIBPQ(PQconninfo)(conn);
}

PQconninfoOption* PQconninfoParse(const char* conninfo, char** errmsg)
{
    return KAVRI_LIBPQ(PQconninfoParse)(conninfo, errmsg);
}

void PQconninfoFree(PQconninfoOption* connOptions)
{
    KAVRI_LIBPQ(PQconninfoFree)(connOptions);
}

void PQfreemem(void* ptr)
{
    KAVRI_LIBPQ(PQfreemem)(ptr);
}

PQnoticeProcessor PQsetNoticeProcessor(PGconn* conn, PQnoticeProcessor proc, void* arg)
{
    return KAVRI_LIBPQ(PQsetNoticeProcessor)(conn, proc, arg);
}

PGresult* PQexec(PGconn* conn, const char* query)
{
    return KAVRI_LIBPQ(PQexec)(conn, query);
}

PGresult* PQexecParams(PGconn* conn, const char* command, int nParams, const Oid* paramTypes,
                       const char* const* paramValues, const int* paramLengths,
                       const int* paramFormats, int resultFormat)
{
    return KAVRI_LIBPQ(PQexecParams)(conn, command, nParams, paramTypes, paramValues,
                                     paramLengths, paramFormats, resultFormat);
}

int PQsendPrepare(PGconn* conn, const char* stmtName, const char* query, int nParams,
                  const Oid* paramTypes)
{
    return KAVRI_LIBPQ(PQsendPrepare)(conn, stmtName, query, nParams, paramTypes);
}

int PQsendQueryPrepared(PGconn* conn, const char* stmtName, int nParams,
                        const char* const* paramValues, const int* paramLengths,
                        const int* paramFormats, int resultFormat)
{
    return KAVRI_LIBPQ(PQsendQueryPrepared)(conn, stmtName, nParams, paramValues, paramLengths,
                                            paramFormats, resultFormat);
}

PGresult* PQgetResult(PGconn* conn)
{
    return KAVRI_LIBPQ(PQgetResult)(conn);
}

int PQenterPipelineMode(PGconn* conn)
{
    return KAVRI_LIBPQ(PQenterPipelineMode)(conn);
}

int PQexitPipelineMode(PGconn* conn)
{
    return KAVRI_LIBPQ(PQexitPipelineMode)(conn);
}

int PQpipelineSync(PGconn* conn)
{
    return KAVRI_LIBPQ(PQpipelineSync)(conn);
}

PGpipelineStatus PQpipelineStatus(const PGconn* conn)
{
    return KAVRI_LIBPQ(PQpipelineStatus)(conn);
}

void PQclear(PGresult* res)
{
    KAVRI_LIBPQ(PQclear)(res);
}

ExecStatusType PQresultStatus(const PGresult* res)
{
    return KAVRI_LIBPQ(PQresultStatus)(res);
}

char* PQresultErrorField(const PGresult* res, int fieldcode)
{
    return KAVRI_LIBPQ(PQresultErrorField)(res, fieldcode);
}

char* PQcmdStatus(PGresult* res)
{
    return KAVRI_LIBPQ(PQcmdStatus)(res);
}

int PQntuples(const PGresult* res)
{
    return KAVRI_LIBPQ(PQntuples)(res);
}

int PQnfields(const PGresult* res)
{
    return KAVRI_LIBPQ(PQnfields)(res);
}

char* PQfname(const PGresult* res, int field_num)
{
    return KAVRI_LIBPQ(PQfname)(res, field_num);
}

Oid PQftype(const PGresult* res, int field_num)
{
    return KAVRI_LIBPQ(PQftype)(res, field_num);
}

char* PQgetvalue(const PGresult* res, int tup_num, int field_num)
{
    return KAVRI_LIBPQ(PQgetvalue)(res, tup_num, field_num);
}

int PQgetlength(const PGresult* res, int tup_num, int field_num)
{
    return KAVRI_LIBPQ(PQgetlength)(res, tup_num, field_num);
}

int PQgetisnull(const PGresult* res, int tup_num, int field_num)
{
    return KAVRI_LIBPQ(PQgetisnull)(res, tup_num, field_num);
}

} // extern "C"
