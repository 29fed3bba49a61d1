#include "link/failure.h"

#include <utility>

namespace qd::link {

Failure::Failure(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}

} // namespace qd::link
