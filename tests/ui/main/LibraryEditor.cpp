#include "LibraryEditor.h"

#include "store/LibraryFile.h"
#include "store/RecordSet.h"
#include "store/SqlConnection.h"

LibraryEditor::LibraryEditor(const QString& path)
    : m_connection(SqlConnection::open(path, LibraryFile::kPassword, &m_error))
{
}

LibraryEditor::~LibraryEditor() = default;

bool LibraryEditor::run(const QString& statement)
{
    m_error.clear();
    return m_connection && m_connection->execute(statement, &m_error) != nullptr;
}

QStringList LibraryEditor::column(const QString& query, const QString& column)
{
    QStringList values;
    if (!m_connection) {
        return values;
    }
    auto records = m_connection->execute(query, &m_error);
    for (; records && !records->isEof(); records->moveNext()) {
        values.append(records->collect(column));
    }
    return values;
}
