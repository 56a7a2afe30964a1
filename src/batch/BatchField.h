#pragma once

#include "compose/FormFields.h"

#include <QString>
#include <array>
#include <optional>
#include <utility>

// A column a batch sheet may have, named by the header the clerk writes over it: one of the
// form's fields, in the order of Compose::kFormFields and under its label, then the contract's.
// The form's fields are named by Compose::FieldIndex, so that each is spelled once, in compose/.
class BatchField
{
public:
    // One of the form's fields.
    constexpr BatchField(Compose::FieldIndex field) : m_index(static_cast<int>(field)) {}
    // The field at `index` of kBatchFields.
    constexpr explicit BatchField(int index) : m_index(index) {}

    // The contract's fields, after the form's.
    static const BatchField ContractStart;
    static const BatchField ContractEnd;
    static const BatchField OpenEnded;

    // Its place in kBatchFields (and in a record's values).
    constexpr int index() const { return m_index; }
    // True for one of the form's fields.
    constexpr bool isFormField() const { return m_index < Compose::kFormFieldCount; }

    constexpr bool operator==(const BatchField&) const = default;

private:
    int m_index;
};

inline constexpr BatchField BatchField::ContractStart{Compose::kFormFieldCount};
inline constexpr BatchField BatchField::ContractEnd{Compose::kFormFieldCount + 1};
inline constexpr BatchField BatchField::OpenEnded{Compose::kFormFieldCount + 2};

inline constexpr int kBatchFieldCount = Compose::kFormFieldCount + 3;

namespace BatchFieldDetail {
template <size_t... I>
constexpr std::array<BatchField, sizeof...(I)> fieldsAt(std::index_sequence<I...>)
{
    return {BatchField(int(I))...};
}
} // namespace BatchFieldDetail

// Every field in the form's order, then the contract fields.
inline constexpr std::array<BatchField, kBatchFieldCount> kBatchFields =
    BatchFieldDetail::fieldsAt(std::make_index_sequence<kBatchFieldCount>());

// The header text of a field: "姓名", "身份证号", "合同起始日期", ...
QString batchFieldHeader(BatchField field);

// The field whose header this is, surrounding white space (full-width included) ignored.
std::optional<BatchField> batchFieldOfHeader(const QString& header);

// Fields whose value is a date.
bool isDateField(BatchField field);
