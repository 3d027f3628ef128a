#include "platform/help/CHelpWindow.h"

#include "platform/help/CHelpBrowser.h"
#include "platform/help/HelpCollection.h"

#include <QHBoxLayout>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(HelpCollection& collection, QWidget* parent)
    : QWidget(parent, Qt::Window), collection_(collection)
{
    setWindowTitle(QStringLiteral("KESTRIX 2 ヘルプ"));
    resize(1000, 700);
    QHelpEngine* engine = collection_.Engine();

    browser_ = new CHelpBrowser(collection_);
    contents_ = engine->contentWidget();
    index_ = engine->indexWidget();

    indexPage_ = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage_);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    indexLine_ = new QLineEdit;
    indexLine_->setPlaceholderText(QStringLiteral("キーワードを入力"));
    indexLayout->addWidget(indexLine_);
    indexLayout->addWidget(index_);

    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(4, 4, 4, 4);
    QHelpSearchEngine* search = engine->searchEngine();
    searchLayout->addWidget(search->queryWidget());
    searchLayout->addWidget(search->resultWidget());

    tabs_ = new QTabWidget;
    tabs_->addTab(contents_, QStringLiteral("目次"));
    tabs_->addTab(indexPage_, QStringLiteral("索引"));
    tabs_->addTab(searchPage, QStringLiteral("検索"));

    auto* toolbar = new QToolBar;
    toolbar->addAction(QStringLiteral("戻る"), browser_, &QTextBrowser::backward);
    toolbar->addAction(QStringLiteral("進む"), browser_, &QTextBrowser::forward);
    toolbar->addAction(QStringLiteral("操作説明"), this, [this] { ShowPage(collection_.FirstPage()); });

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({280, 720});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(splitter);

    connect(contents_, &QHelpContentWidget::linkActivated, this, [this](const QUrl& url) { ShowPage(url); });
    connect(index_, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link, const QString&) { ShowPage(link.url); });
    connect(index_, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& links, const QString&) {
                if (!links.isEmpty())
                    ShowPage(links.first().url);
            });
    connect(indexLine_, &QLineEdit::textChanged, this, &CHelpWindow::FilterIndex);
    connect(indexLine_, &QLineEdit::returnPressed, index_, &QHelpIndexWidget::activateCurrentItem);
    // The index list is built in the background; a keyword typed before it
    // is ready narrows it once it is.
    connect(engine->indexModel(), &QHelpIndexModel::indexCreated, this,
            [this] { FilterIndex(indexLine_->text()); });
    connect(engine->contentModel(), &QHelpContentModel::contentsCreated, this, &CHelpWindow::SyncContents);
    connect(browser_, &QTextBrowser::sourceChanged, this, &CHelpWindow::SyncContents);
    connect(search->queryWidget(), &QHelpSearchQueryWidget::search, this,
            [search] { search->search(search->queryWidget()->searchInput()); });
    connect(search->resultWidget(), &QHelpSearchResultWidget::requestShowLink, this,
            [this](const QUrl& url) { ShowPage(url); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this, search](int tab) {
        // The full-text index is made the first time the search is opened.
        if (tab == 2 && !searchIndexed_) {
            searchIndexed_ = true;
            search->scheduleIndexDocumentation();
        }
    });
}

void CHelpWindow::BringToFront()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void CHelpWindow::ShowPage(const QUrl& url)
{
    browser_->setSource(url);
    SyncContents();
    BringToFront();
}

void CHelpWindow::SyncContents()
{
    // The contents follow the page shown (once they have been built).
    if (const QModelIndex item = contents_->indexOf(browser_->source()); item.isValid())
        contents_->setCurrentIndex(item);
}

void CHelpWindow::ShowIndex(const QString& keyword)
{
    tabs_->setCurrentWidget(indexPage_);
    indexLine_->setText(keyword);
    FilterIndex(keyword);
    BringToFront();
    indexLine_->setFocus();
}

void CHelpWindow::FilterIndex(const QString& text)
{
    index_->filterIndices(text);
}

QString CHelpWindow::PageTitle() const
{
    return browser_->documentTitle();
}

QString CHelpWindow::PageText() const
{
    return browser_->toPlainText();
}

QUrl CHelpWindow::PageUrl() const
{
    return browser_->source();
}

QString CHelpWindow::IndexText() const
{
    return indexLine_->text();
}

bool CHelpWindow::IndexShown() const
{
    return isVisible() && tabs_->currentWidget() == indexPage_;
}
