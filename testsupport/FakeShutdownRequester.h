#pragma once

#include "ShutdownRequester.h"

#include <QList>

#include <algorithm>
#include <functional>
#include <utility>

// Answers power-off requests from a script (the last answer repeats; Failed when empty) and
// records the withRights flag of each request. Never shuts anything down.
class FakeShutdownRequester : public ShutdownRequester {
public:
    explicit FakeShutdownRequester(QList<Result> answers = {})
        : answers(std::move(answers))
    {
    }

    Result requestPowerOff(bool withRights) override
    {
        requests.append(withRights);
        if (const auto hook = onRequest)
            hook(withRights);
        if (answers.isEmpty())
            return Result::Failed;
        const qsizetype i = std::min<qsizetype>(requests.size() - 1, answers.size() - 1);
        return answers.at(i);
    }

    std::function<void(bool withRights)> onRequest;
    QList<Result> answers;
    QList<bool> requests;
};
