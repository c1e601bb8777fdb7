#pragma once

// When the link counts as lost and as regained, as the window's log marks it: lost only after
// an answer came, regained at the first answer after a loss. Before the first answer the link
// was never up, so it cannot be lost.
class LinkMarks {
public:
    // For each answer: whether it regains a lost link.
    bool answerRegains() {
        const bool regains = link == Link::Lost;
        link = Link::Up;
        return regains;
    }
    // For each loss the link reports: whether it is news.
    bool lossIsNews() {
        const bool news = link == Link::Up;
        if (link != Link::NeverUp)
            link = Link::Lost;
        return news;
    }

private:
    enum class Link { NeverUp, Up, Lost } link = Link::NeverUp;
};
