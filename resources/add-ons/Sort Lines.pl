#!/usr/bin/perl
# Wexel add-on: sorts the lines of the whole text by their characters and
# replaces the whole text with the result (FUNC=REPLACEALL).
use strict;
use warnings;

open(my $in, '<:encoding(UTF-8)', $ENV{TMPFILE_WHOLE}) or die "cannot read the text: $!\n";
my $text = do { local $/; <$in> };
close($in);
$text = '' unless defined $text;

# A final line end closes the last line; it does not make an empty line to sort.
my $ends_with_newline = ($text =~ s/\n\z//);
my @lines = sort split(/\n/, $text, -1);

binmode(STDOUT, ':encoding(UTF-8)');
print join("\n", @lines), ($ends_with_newline ? "\n" : '');

open(my $setting, '>', $ENV{TMPSETTING}) or die "cannot write the setting: $!\n";
print $setting "FUNC=REPLACEALL\n";
close($setting);
