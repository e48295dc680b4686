DataElementSeparator="\q"
