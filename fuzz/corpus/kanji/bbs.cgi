#!/usr/bin/perl
# 簡易掲示板 ｹｲｼﾞﾊﾞﾝ ver1.2
#   書き込み・表示・削除ができます。
use strict;
require './jcode.pl';

my $logfile = './data/bbs.log';   # ログファイル
my $max     = 50;                 # 最大記事数
my %in;

&parse_form;
if ($in{'mode'} eq 'write') { &write_log; }
elsif ($in{'mode'} eq 'del') { &delete_log; }
&html_view;
exit;

sub parse_form {
	my $buf;
	if ($ENV{'REQUEST_METHOD'} eq "POST") { read(STDIN, $buf, $ENV{'CONTENT_LENGTH'}); }
	else { $buf = $ENV{'QUERY_STRING'}; }
	foreach (split(/&/, $buf)) {
		my ($key, $val) = split(/=/);
		$val =~ tr/+/ /;
		$val =~ s/%([a-fA-F0-9][a-fA-F0-9])/pack("C", hex($1))/eg;
		&jcode'convert(*val, 'sjis');
		$val =~ s/</&lt;/g; $val =~ s/>/&gt;/g;   # タグ無効化
		$in{$key} = $val;
	}
}

sub write_log {
	open(LOG, "+<$logfile") || &error("ログが開けません：$logfile");
	flock(LOG, 2);
	my @lines = <LOG>;
	unshift(@lines, "$in{'name'}<>$in{'comment'}<>" . time . "\n");
	splice(@lines, $max) if (@lines > $max);
	seek(LOG, 0, 0); print LOG @lines; truncate(LOG, tell(LOG));
	close(LOG);
}

sub html_view {
	print "Content-type: text/html; charset=Shift_JIS\n\n";
	print <<"EOM";
<html><head><title>掲示板 - ﾃｽﾄ</title></head>
<body bgcolor="#ffffff">
<h1>表示テスト：ソ表能予</h1>
EOM
	open(LOG, $logfile) || &error("読み込みエラー");
	while (<LOG>) {
		my ($name, $com, $t) = split(/<>/);
		my @d = localtime($t);
		printf("<p>%s さん (%04d/%02d/%02d)<br>%s</p>\n", $name, $d[5] + 1900, $d[4] + 1, $d[3], $com);
	}
	close(LOG);
	print "</body></html>\n";
}

sub error { print "Content-type: text/html\n\n<p>エラー：$_[0]</p>\n"; exit; }
