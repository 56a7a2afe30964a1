#include "store/StoreFeedback.h"

#include <QtDebug>

namespace {

class LogBackend : public StoreFeedback::Backend
{
public:
    void connectFailed(const QString& text) override { qWarning().noquote() << text; }
    void statementFailed(const QString& text) override { qWarning().noquote() << text; }
    void busy(bool) override {}
};

LogBackend g_logBackend;
StoreFeedback::Backend* g_backend = &g_logBackend;

} // namespace

void StoreFeedback::connectFailed(const QString& text)
{
    g_backend->connectFailed(text);
}

void StoreFeedback::statementFailed(const QString& text)
{
    g_backend->statementFailed(text);
}

void StoreFeedback::setBackend(Backend* backend)
{
    g_backend = backend ? backend : &g_logBackend;
}

StoreFeedback::Backend* StoreFeedback::backend()
{
    return g_backend;
}

StoreFeedback::Busy::Busy() : m_backend(g_backend)
{
    m_backend->busy(true);
}

StoreFeedback::Busy::~Busy()
{
    m_backend->busy(false);
}
