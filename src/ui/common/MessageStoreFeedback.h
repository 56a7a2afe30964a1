#pragma once

#include "store/StoreFeedback.h"

// The store's feedback as the user sees it: a failed connect as a notice with the caption
// "提示", a failed statement in the application's message box, and the wait cursor while a
// read runs. Installs itself for its lifetime.
class MessageStoreFeedback : public StoreFeedback::Backend
{
public:
    MessageStoreFeedback();
    ~MessageStoreFeedback() override;
    MessageStoreFeedback(const MessageStoreFeedback&) = delete;
    MessageStoreFeedback& operator=(const MessageStoreFeedback&) = delete;

    void connectFailed(const QString& text) override;
    void statementFailed(const QString& text) override;
    void busy(bool on) override;

private:
    StoreFeedback::Backend* m_previous;
};
