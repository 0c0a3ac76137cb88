function expect_error (f, id, message)
  % EXPECT_ERROR  Fail unless calling f() raises an error with this identifier and message.
  % Octave shows a module's error message after the module's name.
  try
    f ();
  catch err
    if (! strcmp (err.identifier, id))
      error ("expected identifier %s, got %s (%s)", id, err.identifier, err.message);
    end
    if (isempty (strfind (err.message, message)))
      error ("expected message '%s', got '%s'", message, err.message);
    end
    return;
  end
  error ("expected an error %s", id);
end
