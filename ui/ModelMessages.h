// The model's failures as the interface shows them. The model speaks
// English (kri shows its messages as they are); the program shows each one
// in the interface's language, the names and numbers it quotes kept.
#pragma once

#include <exception>

#include <QString>

// The failure's message in the interface's language; a text of the system's
// (a reason the operating system gave) stays as the system wrote it.
QString FailureText(const std::exception& Failure);
// The same for the text of a model message.
QString ModelMessageText(const QString& Message);
