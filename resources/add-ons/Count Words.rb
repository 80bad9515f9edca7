#!/usr/bin/ruby
# Wexel add-on: counts the words (runs of characters between white space) and
# characters of the selection, or of the whole text when nothing is selected.
# It only reports: FUNC=NOTOUCH tells the editor to leave the text alone.
selection = File.read(ENV['TMPFILE'], encoding: 'UTF-8')
text = selection.empty? ? File.read(ENV['TMPFILE_WHOLE'], encoding: 'UTF-8') : selection
words = text.split(/[[:space:]]+/).reject(&:empty?).size
characters = text.gsub(/\n/, '').length
report = "#{words} words, #{characters} characters"

File.write(ENV['TMPSETTING'], "FUNC=NOTOUCH\n")
puts report
$stderr.puts "Count Words: #{report}"
# Shown as a desktop notification where one can be sent (arguments, no shell).
system('notify-send', 'Count Words', report, err: File::NULL, out: File::NULL) rescue nil
