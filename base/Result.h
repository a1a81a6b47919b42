#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace toolkit {

/// The outcome of an operation that can fail: a value, or the reason it failed.
template <class T> class Result {
public:
    static Result success(T value) {
        Result r;
        r.m_value = std::move(value);
        return r;
    }
    static Result failure(QString reason) {
        Result r;
        r.m_error = std::move(reason);
        return r;
    }

    bool ok() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    T& value() { return *m_value; }
    const QString& error() const { return m_error; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_error;
};

} // namespace toolkit
