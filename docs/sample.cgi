#!/usr/bin/perl
# 掲示板 (ｹｲｼﾞﾊﾞﾝ) の表示スクリプト
# 文字コード: Shift-JIS

use strict;
use warnings;

my $title = 'ｻﾝﾌﾟﾙ掲示板';
my @messages = read_messages('data/log.txt');

print "Content-type: text/html; charset=Shift_JIS\n\n";
print "<html><head><title>$title</title></head><body>\n";
print "<h1>$title</h1>\n";
foreach my $line (@messages) {
    my ($name, $text) = split(/\t/, $line);
    print_message($name, $text);
}
print "</body></html>\n";
exit;

# ログファイルを読み込んで、新しい順に返す
sub read_messages {
    my ($file) = @_;
    open(my $in, '<', $file) or return ("管理者\tﾛｸﾞがありません");
    my @lines = reverse <$in>;
    close($in);
    chomp(@lines);
    return @lines;
}

# 一件分の書き込みを表示する
sub print_message {
    my ($name, $text) = @_;
    $text =~ s/</&lt;/g;
    printf("<p><b>%s</b>さん: %s</p>\n", $name, $text);
}
