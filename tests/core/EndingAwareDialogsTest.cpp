#include "core/EndingAwareDialogs.h"

#include "fakes/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace quillon::core;
using quillon::test::ScriptedDialogs;

// Once the program is ending nothing is shown: questions answer No (Cancel),
// prompts answer no button, input and file dialogs are cancelled, and
// notices go to the sink so that failures are still told.
TEST(EndingAwareDialogs, whileEnding_nothingIsShownAndNoticesGoToTheSink)
{
    ScriptedDialogs person;
    ProgramState state;
    std::vector<std::string> sunk;
    EndingAwareDialogs dialogs(person, state, [&](const std::string& text) { sunk.push_back(text); });

    person.answers = { Answer::Yes };
    EXPECT_EQ(dialogs.ask("Overwrite existing Hosts ?", MessageKind::QuestionDefaultYes), Answer::Yes);

    state.ending = true;
    EXPECT_EQ(dialogs.ask("Overwrite existing Hosts ?", MessageKind::QuestionDefaultYes), Answer::No);
    EXPECT_EQ(dialogs.ask("Restore ?", MessageKind::ThreeWayDefaultNo), Answer::Cancel);
    EXPECT_EQ(dialogs.ask("Cannot create file", MessageKind::Warning), Answer::Ok);
    EXPECT_EQ(dialogs.unverifiablePrompt("a.example", PromptVariant::Reverification)->exec(), 0);
    EXPECT_FALSE(dialogs.inputDialog("Alias", "x")->exec());
    EXPECT_FALSE(dialogs.openFile({ "Import", "Hosts List file (*.hst)", "hst", {}, {} }));
    EXPECT_EQ(person.asked.size(), 1u);
    EXPECT_TRUE(person.promptedHosts.empty());
    EXPECT_TRUE(person.inputShownWith.empty());
    EXPECT_TRUE(person.fileDialogs.empty());
    EXPECT_EQ(sunk, (std::vector<std::string> { "Cannot create file" }));
}

// A dialog that was open when the request came is closed by the window and
// counts as unanswered, whatever it returned.
TEST(EndingAwareDialogs, dialogOpenWhenEndingIsAsked_countsAsUnanswered)
{
    ScriptedDialogs person;
    ProgramState state;
    EndingAwareDialogs dialogs(person, state, nullptr);
    person.whileOpen = [&] { state.ending = true; };

    person.answers = { Answer::Yes };
    EXPECT_EQ(dialogs.ask("Overwrite existing Hosts ?", MessageKind::QuestionDefaultYes), Answer::No);
    state.ending = false;
    person.promptSteps = { { 2 } };
    EXPECT_EQ(dialogs.unverifiablePrompt("a.example", PromptVariant::AddOrImport)->exec(), 0);
    state.ending = false;
    person.inputSteps = { { true, "new alias" } };
    EXPECT_FALSE(dialogs.inputDialog("Alias", "x")->exec());
}
