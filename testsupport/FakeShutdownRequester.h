#pragma once

#include "ShutdownRequester.h"

#include <QList>

#include <algorithm>
#include <functional>
#include <utility>

// Answers power-off requests from a script (the last answer repeats; Failed when empty) and
// records the withRights flag of each request. With `holdAnswers` the answers wait in
// `held` until a test delivers them, as a system that takes its time. Never shuts anything
// down.
class FakeShutdownRequester : public ShutdownRequester {
public:
    explicit FakeShutdownRequester(QList<Result> answers = {})
        : answers(std::move(answers))
    {
    }

    void requestPowerOff(bool withRights, Answer answer) override
    {
        requests.append(withRights);
        if (const auto hook = onRequest)
            hook(withRights);
        Result result = Result::Failed;
        if (!answers.isEmpty())
            result = answers.at(std::min<qsizetype>(requests.size() - 1, answers.size() - 1));
        if (holdAnswers)
            held.append([answer = std::move(answer), result] { answer(result); });
        else
            answer(result);
    }

    std::function<void(bool withRights)> onRequest;
    QList<Result> answers;
    QList<bool> requests;
    bool holdAnswers = false;
    QList<std::function<void()>> held;
};
